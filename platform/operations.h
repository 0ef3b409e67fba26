// Every platform operation whose failure the programs handle, written once: the DLL it
// comes from, its return type and name, what it returns when it fails, its parameters and
// the arguments that pass them on. From these rows the build makes the host's
// declarations, the Windows side's wrappers for the DLLs it loads itself, the ARM64 import
// entries, and the tests' operation names, fault hooks, fuzzer choices and fault matrix.
// Adding an operation: a row here, the stand-in's model of it, its caller, its matrix row.
#pragma once

// Taken from DLLs that the Windows side loads from the system folder itself.
#define LOADED_OPERATIONS(X)                                                                  \
    X(user32, HWND, FindWindowW, NULL, (LPCWSTR className, LPCWSTR title), (className, title)) \
    X(user32, LRESULT, SendMessageTimeoutA, 0,                                                \
      (HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,     \
       PDWORD_PTR result),                                                                    \
      (window, message, wParam, lParam, flags, timeout, result))                              \
    X(user32, int, MessageBoxA, 0, (HWND owner, LPCSTR text, LPCSTR caption, UINT type),      \
      (owner, text, caption, type))                                                           \
    X(user32, LPSTR, CharUpperA, NULL, (LPSTR text), (text))                                  \
    X(user32, HWINSTA, GetProcessWindowStation, NULL, (void), ())                             \
    X(user32, BOOL, GetUserObjectInformationA, FALSE,                                         \
      (HANDLE object, int index, PVOID information, DWORD size, LPDWORD needed),              \
      (object, index, information, size, needed))                                             \
    X(setupapi, HDEVINFO, SetupDiGetClassDevsA, INVALID_HANDLE_VALUE,                         \
      (const GUID *classGuid, LPCSTR enumerator, HWND parent, DWORD flags),                   \
      (classGuid, enumerator, parent, flags))                                                 \
    X(setupapi, BOOL, SetupDiEnumDeviceInfo, FALSE,                                           \
      (HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device), (set, index, device))             \
    X(setupapi, BOOL, SetupDiGetDeviceRegistryPropertyA, FALSE,                               \
      (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE buffer,      \
       DWORD size, PDWORD requiredSize),                                                      \
      (set, device, property, type, buffer, size, requiredSize))                              \
    X(setupapi, BOOL, SetupDiDestroyDeviceInfoList, FALSE, (HDEVINFO set), (set))             \
    /* Answers the mode it had; FALSE is also what a DLL that cannot be had gives. */        \
    X(setupapi, BOOL, SetupSetNonInteractiveMode, FALSE, (BOOL nonInteractive), (nonInteractive)) \
    X(setupapi, BOOL, SetupCopyOEMInfW, FALSE,                                                \
      (LPCWSTR source, LPCWSTR mediaLocation, DWORD mediaType, DWORD copyStyle,               \
       LPWSTR destination, DWORD destinationSize, PDWORD requiredSize,                        \
       LPWSTR *destinationComponent),                                                         \
      (source, mediaLocation, mediaType, copyStyle, destination, destinationSize,             \
       requiredSize, destinationComponent))                                                   \
    X(setupapi, HKEY, SetupDiOpenDevRegKey, (HKEY)INVALID_HANDLE_VALUE,                        \
      (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD scope, DWORD profile, DWORD keyType,      \
       REGSAM access),                                                                        \
      (set, device, scope, profile, keyType, access))                                         \
    X(setupapi, BOOL, SetupDiSetClassInstallParamsW, FALSE,                                   \
      (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_CLASSINSTALL_HEADER params, DWORD size),    \
      (set, device, params, size))                                                            \
    X(setupapi, BOOL, SetupDiCallClassInstaller, FALSE,                                       \
      (DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device), (function, set, device)) \
    X(setupapi, BOOL, SetupDiGetDeviceInstallParamsW, FALSE,                                  \
      (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params),                \
      (set, device, params))                                                                  \
    X(setupapi, BOOL, SetupDiSetDeviceInstallParamsW, FALSE,                                  \
      (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params),                \
      (set, device, params))                                                                  \
    X(setupapi, BOOL, SetupGetInfInformationW, FALSE,                                         \
      (LPCVOID inf, DWORD search, PSP_INF_INFORMATION information, DWORD size,                \
       PDWORD requiredSize),                                                                  \
      (inf, search, information, size, requiredSize))                                         \
    X(setupapi, BOOL, SetupQueryInfOriginalFileInformationW, FALSE,                           \
      (PSP_INF_INFORMATION information, UINT index, PSP_ALTPLATFORM_INFO platform,            \
       PSP_ORIGINAL_FILE_INFO_W original),                                                    \
      (information, index, platform, original))                                               \
    X(setupapi, HINF, SetupOpenInfFileW, INVALID_HANDLE_VALUE,                                \
      (LPCWSTR name, LPCWSTR infClass, DWORD style, PUINT errorLine),                         \
      (name, infClass, style, errorLine))                                                     \
    X(setupapi, BOOL, SetupGetLineTextW, FALSE,                                               \
      (PINFCONTEXT context, HINF inf, LPCWSTR section, LPCWSTR key, LPWSTR buffer,            \
       DWORD size, PDWORD requiredSize),                                                      \
      (context, inf, section, key, buffer, size, requiredSize))                               \
    X(setupapi, void, SetupCloseInfFile, (void)0, (HINF inf), (inf))                          \
    X(setupapi, BOOL, SetupUninstallOEMInfW, FALSE,                                           \
      (LPCWSTR name, DWORD flags, PVOID reserved), (name, flags, reserved))                   \
    /* Making a root-enumerated device: the INF's class, a set and an element of it. */      \
    X(setupapi, BOOL, SetupDiGetINFClassW, FALSE,                                             \
      (LPCWSTR inf, GUID *classGuid, LPWSTR className, DWORD size, PDWORD requiredSize),      \
      (inf, classGuid, className, size, requiredSize))                                        \
    X(setupapi, HDEVINFO, SetupDiCreateDeviceInfoList, INVALID_HANDLE_VALUE,                  \
      (const GUID *classGuid, HWND parent), (classGuid, parent))                              \
    X(setupapi, BOOL, SetupDiCreateDeviceInfoW, FALSE,                                        \
      (HDEVINFO set, LPCWSTR name, const GUID *classGuid, LPCWSTR description, HWND parent,   \
       DWORD flags, PSP_DEVINFO_DATA device),                                                 \
      (set, name, classGuid, description, parent, flags, device))                             \
    X(setupapi, BOOL, SetupDiSetDeviceRegistryPropertyW, FALSE,                               \
      (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, const BYTE *buffer, DWORD size), \
      (set, device, property, buffer, size))                                                  \
    /* SETUPAPI has the configuration manager's calls too, on every Windows from XP. */     \
    X(setupapi, DWORD, CMP_WaitNoPendingInstallEvents, WAIT_FAILED, (DWORD timeout), (timeout)) \
    X(setupapi, BOOL, SetupDiGetDeviceInstanceIdA, FALSE,                                     \
      (HDEVINFO set, PSP_DEVINFO_DATA device, PSTR id, DWORD size, PDWORD requiredSize),      \
      (set, device, id, size, requiredSize))                                                  \
    /* Answers its code instead of setting the last error. */                                \
    X(setupapi, CONFIGRET, CM_Get_DevNode_Status, CR_FAILURE,                                 \
      (PULONG status, PULONG problem, DEVINST device, ULONG flags),                           \
      (status, problem, device, flags))                                                       \
    X(newdev, BOOL, UpdateDriverForPlugAndPlayDevicesW, FALSE,                                \
      (HWND parent, LPCWSTR hardwareId, LPCWSTR infPath, DWORD flags, PBOOL rebootRequired),  \
      (parent, hardwareId, infPath, flags, rebootRequired))                                   \
    X(newdev, BOOL, DiUninstallDriverW, FALSE,                                                \
      (HWND parent, LPCWSTR infPath, DWORD flags, PBOOL needReboot),                          \
      (parent, infPath, flags, needReboot))                                                   \
    /* The registry's operations return their code instead of setting the last error; */    \
    /* where the DLL cannot be had, that code is the loader's. */                             \
    X(advapi32, LONG, RegQueryValueExW, (LONG)GetLastError(),                                 \
      (HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size),    \
      (key, name, reserved, type, data, size))                                                \
    X(advapi32, LONG, RegCloseKey, (LONG)GetLastError(), (HKEY key), (key))                   \
    /* Found at run time, so that the x86 exe still starts on Windows without them: */      \
    /* IsWow64Process2 came with Windows 10 1511, IsWow64Process with XP SP2. */              \
    X(kernel32, BOOL, IsWow64Process2, FALSE,                                                 \
      (HANDLE process, USHORT *processMachine, USHORT *nativeMachine),                        \
      (process, processMachine, nativeMachine))                                               \
    X(kernel32, BOOL, IsWow64Process, FALSE, (HANDLE process, PBOOL wow64), (process, wow64))

// Imported from KERNEL32, which every process has.
#define IMPORTED_OPERATIONS(X)                                                                \
    X(kernel32, HLOCAL, LocalAlloc, NULL, (UINT flags, SIZE_T bytes), (flags, bytes))        \
    X(kernel32, DWORD, FormatMessageA, 0,                                                     \
      (DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,          \
       DWORD size, va_list *arguments),                                                       \
      (flags, source, messageId, languageId, buffer, size, arguments))                        \
    X(kernel32, HANDLE, FindFirstFileW, INVALID_HANDLE_VALUE,                                 \
      (LPCWSTR path, LPWIN32_FIND_DATAW found), (path, found))                                \
    X(kernel32, BOOL, FindNextFileW, FALSE, (HANDLE search, LPWIN32_FIND_DATAW found),        \
      (search, found))                                                                        \
    X(kernel32, DWORD, GetFullPathNameW, 0,                                                   \
      (LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR *filePart), (name, size, buffer, filePart)) \
    X(kernel32, UINT, GetSystemWindowsDirectoryW, 0, (LPWSTR buffer, UINT size), (buffer, size)) \
    X(kernel32, HANDLE, CreateFileW, INVALID_HANDLE_VALUE,                                    \
      (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,              \
       DWORD disposition, DWORD flags, HANDLE model),                                         \
      (path, access, share, security, disposition, flags, model))                             \
    X(kernel32, BOOL, ReadFile, FALSE,                                                        \
      (HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped),        \
      (file, buffer, size, read, overlapped))                                               \
    X(kernel32, void, GetNativeSystemInfo, (void)0, (LPSYSTEM_INFO system), (system))         \
    X(kernel32, DWORD, GetModuleFileNameW, 0, (HMODULE module, LPWSTR path, DWORD size),      \
      (module, path, size))                                                                   \
    X(kernel32, BOOL, CreateProcessW, FALSE,                                                  \
      (LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,       \
       LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,               \
       LPVOID environment, LPCWSTR currentFolder, LPSTARTUPINFOW startup,                    \
       LPPROCESS_INFORMATION process),                                                        \
      (application, commandLine, processSecurity, threadSecurity, inheritHandles, flags,     \
       environment, currentFolder, startup, process))                                         \
    X(kernel32, int, WideCharToMultiByte, 0,                                                  \
      (UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR bytes, int size,      \
       LPCSTR defaultCharacter, LPBOOL defaultUsed),                                          \
      (codePage, flags, wide, wideLength, bytes, size, defaultCharacter, defaultUsed))

// All of them, with msvcrt's printf, which the platform header names PrintOutput.
#define PLATFORM_OPERATIONS(X) \
    LOADED_OPERATIONS(X)       \
    IMPORTED_OPERATIONS(X)     \
    X(msvcrt, int, printf, -1, (const char *format, ...), ())
