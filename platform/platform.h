// Every operation the programs call goes through this header. The build picks the side:
// the Windows SDK in the exes, plain declarations (with a stand-in linked in) on the host,
// so the programs themselves never know which one they run on.
#pragma once

#include "platform/operations.h"

#ifdef _WIN32
// USER32, SETUPAPI (with its configuration manager), newdev and ADVAPI32 are not imported: the exes are run elevated from folders
// that others can write to, so platform/ defines their functions itself and reaches the
// real ones in DLLs it loads from the system folder alone. Declared without dllimport,
// they bind to those definitions.
#define _USER32_
#define _SETUPAPI_
#define _ADVAPI32_
#define _CFGMGR32_
// First: libstdc++'s wrappers, reached through the SDK headers on x64, switch MinGW's own
// printf back on (about 29 KB) unless msvcrt's is already declared.
#include <stdio.h>
// Found at run time (operations.h): the SDK's importing declarations are set aside.
#define IsWow64Process SdkIsWow64Process
#define IsWow64Process2 SdkIsWow64Process2
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#include <cfgmgr32.h>
#undef IsWow64Process
#undef IsWow64Process2
BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64);
BOOL WINAPI IsWow64Process2(HANDLE process, USHORT *processMachine, USHORT *nativeMachine);
// Windows 10 1703 and later; MinGW's headers do not declare it.
BOOL WINAPI DiUninstallDriverW(HWND parent, LPCWSTR infPath, DWORD flags, PBOOL needReboot);
// msvcrt's printf itself, handed the arguments as they are: some Wine builds read a
// Windows va_list wrongly.
#define PrintOutput printf
#define WIDE(text) L##text
// The machine this exe was built for.
#if defined(__aarch64__)
#define OWN_MACHINE IMAGE_FILE_MACHINE_ARM64
#elif defined(__x86_64__)
#define OWN_MACHINE IMAGE_FILE_MACHINE_AMD64
#else
#define OWN_MACHINE IMAGE_FILE_MACHINE_I386
#endif
inline USHORT OwnMachine(void)
{
    return OWN_MACHINE;
}
#else
#include "host_api.h"
#define AS_DECLARATION(dll, ret, name, failed, params, args) ret name params;
LOADED_OPERATIONS(AS_DECLARATION)
IMPORTED_OPERATIONS(AS_DECLARATION)
#undef AS_DECLARATION
int PrintOutput(const char *format, ...) __attribute__((format(printf, 1, 2)));
#define WIDE(text) u##text
USHORT OwnMachine(void);
#endif
// WIDE("text") is text in UTF-16 units, as WCHAR holds them on either side.

// PrintOutput is formatted printing to standard output in text mode: each "\n" leaves as
// CR LF. It may fail, and then sets the last error. FlushOutput writes out what it holds.
void FlushOutput(void);

// A program's entry: the command line split once, from the system's UTF-16 copy, so that
// a folder name the ANSI code page cannot hold still names that folder; and the same
// elements as the system's default conversion gives them, which is what an ANSI program
// was always handed. Its result is the exit status.
typedef int ProgramMain(int count, char **args, WCHAR **wideArgs);
