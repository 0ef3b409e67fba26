/* Expanded by the preprocessor alone: "library name" for each operation of the table that
 * the exes import, so that the import libraries hold exactly those. */
#include "platform/operations.h"
#define AS_IMPORT(library, ret, name, failed, params, args) library name
IMPORTED_OPERATIONS(AS_IMPORT)
