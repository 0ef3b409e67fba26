// The platform operations whose failures the installer handles, in their Win32 names,
// each with the DLL it comes from, written once. The Windows side loads those of USER32,
// SETUPAPI and newdev itself from this list; the tests' stand-in, fault matrix and fuzzer
// take their operations and the names they print from it too.
#pragma once

// Those the Windows side takes from DLLs that it loads itself.
#define LOADED_OPERATIONS(X)                       \
    X(user32, FindWindowA)                         \
    X(user32, SendMessageTimeoutA)                 \
    X(user32, MessageBoxA)                         \
    X(user32, CharUpperA)                          \
    X(user32, GetProcessWindowStation)             \
    X(user32, GetUserObjectInformationA)           \
    X(setupapi, SetupDiGetClassDevsA)              \
    X(setupapi, SetupDiEnumDeviceInfo)             \
    X(setupapi, SetupDiGetDeviceRegistryPropertyA) \
    X(setupapi, SetupDiDestroyDeviceInfoList)      \
    X(setupapi, SetupCopyOEMInfW)                  \
    X(newdev, UpdateDriverForPlugAndPlayDevicesW)

// All of them: with those of KERNEL32 and msvcrt, which every process has.
#define PLATFORM_OPERATIONS(X)  \
    LOADED_OPERATIONS(X)        \
    X(kernel32, LocalAlloc)     \
    X(kernel32, FormatMessageA) \
    X(kernel32, FindFirstFileW) \
    X(msvcrt, printf)
