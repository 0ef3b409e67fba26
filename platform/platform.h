// Every operation the installer calls goes through this header. The build picks the
// side: the Windows SDK in the exe, plain declarations (with a stand-in linked in) on
// the host, so the installer itself never knows which one it runs on.
#pragma once

#include <stdarg.h>

#ifdef _WIN32
// USER32, SETUPAPI and newdev are not imported: the exe is run elevated from folders that
// others can write to, so platform/ defines their functions itself and reaches the real
// ones in DLLs it loads from the system folder alone. Declared without dllimport, they
// bind to those definitions.
#define _USER32_
#define _SETUPAPI_
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#else
#include "host_api.h"
#endif

// What the C runtime's start-up and standard output provide.
int ArgumentCount(void);
char **ArgumentVector(void);
// Text mode: each "\n" leaves as CR LF. May fail and then sets the last error.
int PrintOutput(const char *format, va_list args);
void FlushOutput(void);
