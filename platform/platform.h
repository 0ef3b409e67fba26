// Every operation the installer calls goes through this header. The build picks the
// side: the Windows SDK in the exe, plain declarations (with a stand-in linked in) on
// the host, so the installer itself never knows which one it runs on.
#pragma once

#ifdef _WIN32
// USER32, SETUPAPI and newdev are not imported: the exe is run elevated from folders that
// others can write to, so platform/ defines their functions itself and reaches the real
// ones in DLLs it loads from the system folder alone. Declared without dllimport, they
// bind to those definitions.
#define _USER32_
#define _SETUPAPI_
// First: libstdc++'s wrappers, reached through the SDK headers on x64, switch MinGW's own
// printf back on (about 29 KB) unless msvcrt's is already declared.
#include <stdio.h>
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#else
#include "host_api.h"
#endif

// What the C runtime's start-up and standard output provide. The command line is split
// once, from the system's UTF-16 copy: a folder name that the ANSI code page cannot hold
// must still name that folder. The ANSI vector holds the same elements as the system's
// default conversion gives them, which is what an ANSI program was always handed.
int ArgumentCount(void);
char **ArgumentVector(void);
WCHAR **WideArgumentVector(void);
// Formatted printing to standard output in text mode: each "\n" leaves as CR LF. May fail
// and then sets the last error. On Windows it is msvcrt's printf itself, handed the
// arguments as they are: some Wine builds read a Windows va_list wrongly.
#ifdef _WIN32
#define PrintOutput printf
#else
int PrintOutput(const char *format, ...) __attribute__((format(printf, 1, 2)));
#endif
void FlushOutput(void);
