// The operations of USER32, SETUPAPI and newdev that the installer calls. The exe does
// not import those DLLs: a DLL found beside an elevated exe would run with its rights.
// Each one is loaded from the system folder when its first operation is called, and the
// operation is taken from it with GetProcAddress. An operation that cannot be had fails
// with the loader's code, as any failing operation does.
#include "platform/platform.h"
#include "platform/operations.h"
#include "platform/windows_dlls.h"

struct Library {
    const char *name;
    HMODULE module;
    DWORD error; // why it could not be loaded; 0 until it was tried
};

static Library user32 = {"user32.dll", NULL, 0};
static Library setupapi = {"setupapi.dll", NULL, 0};
static Library newdev = {"newdev.dll", NULL, 0};

enum Operation {
#define AS_ENUM(library, name) k##name,
    LOADED_OPERATIONS(AS_ENUM)
#undef AS_ENUM
};

struct Entry {
    Library *library;
    const char *name;
    FARPROC address;
    DWORD error; // why it could not be had; 0 until it was tried
};

static Entry entries[] = {
#define AS_ENTRY(library, name) {&library, #name, NULL, 0},
    LOADED_OPERATIONS(AS_ENTRY)
#undef AS_ENTRY
};

// Systems without SetDefaultDllDirectories do not know LOAD_LIBRARY_SEARCH_SYSTEM32 either.
static bool searchFlagKnown;

// A test build names an entry that no kernel32 has, to take the older systems' path here.
#ifndef DRVPLANT_DIRECTORIES_ENTRY
#define DRVPLANT_DIRECTORIES_ENTRY "SetDefaultDllDirectories"
#endif

typedef void (*AnyFunction)(void);

static HMODULE LoadFromSystemFolder(const char *name);

void LimitDllSearchToSystemFolder(void)
{
    typedef BOOL(WINAPI * SetDirectories)(DWORD);
    SetDirectories setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<AnyFunction>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), DRVPLANT_DIRECTORIES_ENTRY)));
    searchFlagKnown = setDirectories != NULL && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!searchFlagKnown) {
        // Without it nothing keeps the system DLLs' own loads by name out of the program's
        // folder. These are the ones that user32, setupapi and newdev load by name on the
        // way; once loaded from the system folder, later loads find them in memory.
        SetDllDirectoryA("");
        LoadFromSystemFolder("imm32.dll");
        LoadFromSystemFolder("uxtheme.dll");
    }
}

static HMODULE LoadFromSystemFolder(const char *name)
{
    HMODULE module = NULL;
    char path[MAX_PATH];
    UINT length;
    if (searchFlagKnown) {
        module = LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else if ((length = GetSystemDirectoryA(path, MAX_PATH)) == 0) {
        // GetSystemDirectoryA's own code stands.
    } else if (length + 1 + lstrlenA(name) >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
    } else {
        lstrcatA(path, "\\");
        lstrcatA(path, name);
        // A full path alone would still let its dependencies come from the program's
        // folder; the altered search order looks in the DLL's own folder instead.
        module = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return module;
}

// The operation's address, or NULL with the loader's code as the last error.
static AnyFunction Resolve(Operation operation)
{
    Entry *entry = &entries[operation];
    Library *library = entry->library;
    if (entry->address == NULL && entry->error == 0) {
        if (library->module == NULL && library->error == 0) {
            library->module = LoadFromSystemFolder(library->name);
            if (library->module == NULL)
                library->error = GetLastError();
        }
        if (library->module == NULL)
            entry->error = library->error;
        else if ((entry->address = GetProcAddress(library->module, entry->name)) == NULL)
            entry->error = GetLastError();
    }
    if (entry->address == NULL)
        SetLastError(entry->error);
    return reinterpret_cast<AnyFunction>(entry->address);
}

// The body of each operation below: call the real one, or return what it returns when it
// fails, with the loader's code already in the last error.
#define CALL_OR_FAIL(name, failed, ...)                                           \
    {                                                                             \
        decltype(&name) real = reinterpret_cast<decltype(&name)>(Resolve(k##name)); \
        return real != NULL ? real(__VA_ARGS__) : failed;                         \
    }

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title)
    CALL_OR_FAIL(FindWindowA, NULL, className, title)

LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT flags, UINT milliseconds, PDWORD_PTR result)
    CALL_OR_FAIL(SendMessageTimeoutA, 0, window, message, wParam, lParam, flags, milliseconds, result)

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
    CALL_OR_FAIL(MessageBoxA, 0, owner, text, caption, type)

LPSTR WINAPI CharUpperA(LPSTR text)
    CALL_OR_FAIL(CharUpperA, NULL, text)

HWINSTA WINAPI GetProcessWindowStation(void)
    CALL_OR_FAIL(GetProcessWindowStation, NULL)

WINBOOL WINAPI GetUserObjectInformationA(HANDLE object, int index, PVOID information,
                                         DWORD size, LPDWORD needed)
    CALL_OR_FAIL(GetUserObjectInformationA, FALSE, object, index, information, size, needed)

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID *classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags)
    CALL_OR_FAIL(SetupDiGetClassDevsA, INVALID_HANDLE_VALUE, classGuid, enumerator, parent, flags)

WINBOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device)
    CALL_OR_FAIL(SetupDiEnumDeviceInfo, FALSE, set, index, device)

WINBOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                 DWORD property, PDWORD type, PBYTE buffer,
                                                 DWORD size, PDWORD requiredSize)
    CALL_OR_FAIL(SetupDiGetDeviceRegistryPropertyA, FALSE, set, device, property, type, buffer,
                 size, requiredSize)

WINBOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set)
    CALL_OR_FAIL(SetupDiDestroyDeviceInfoList, FALSE, set)

WINBOOL WINAPI SetupCopyOEMInfW(PCWSTR source, PCWSTR mediaLocation, DWORD mediaType,
                                DWORD copyStyle, PWSTR destination, DWORD destinationSize,
                                PDWORD requiredSize, PWSTR *destinationComponent)
    CALL_OR_FAIL(SetupCopyOEMInfW, FALSE, source, mediaLocation, mediaType, copyStyle,
                 destination, destinationSize, requiredSize, destinationComponent)

WINBOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId,
                                                  LPCWSTR infPath, DWORD flags,
                                                  PBOOL rebootRequired)
    CALL_OR_FAIL(UpdateDriverForPlugAndPlayDevicesW, FALSE, parent, hardwareId, infPath, flags,
                 rebootRequired)
