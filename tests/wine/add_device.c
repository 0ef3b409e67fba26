// add_device <hardware ID>...: registers a root-enumerated device that counts as present,
// with these hardware IDs, in the current Wine prefix. Used by the demo and the recipes.
#include "kit.h"

#include <string.h>

int main(int argc, char **argv)
{
    static char ids[4096];
    size_t size = 0;
    if (argc < 2) {
        printf("usage: add_device <hardware ID>...\n");
        return 2;
    }
    for (int i = 1; i < argc && size + strlen(argv[i]) + 2 <= sizeof ids; i++)
        size += strlen(strcpy(ids + size, argv[i])) + 1;
    ids[size++] = '\0';
    CreatePresentDevice(ids, size);
    return CheckSummary("add_device");
}
