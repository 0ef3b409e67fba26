// The operations of USER32, SETUPAPI, newdev and ADVAPI32 that the programs call, and
// those of KERNEL32 that not every Windows has. The exe does
// not import those DLLs: a DLL found beside an elevated exe would run with its rights.
// Each one is loaded from the system folder when its first operation is called, and the
// operation is taken from it with GetProcAddress. An operation that cannot be had fails
// with the loader's code, as any failing operation does.
#include "platform/platform.h"
#include "platform/windows_dlls.h"

struct Library {
    const char *name;
    HMODULE module;
    DWORD error; // why it could not be loaded; 0 until it was tried
};

static Library user32 = {"user32.dll", NULL, 0};
static Library setupapi = {"setupapi.dll", NULL, 0};
static Library newdev = {"newdev.dll", NULL, 0};
static Library advapi32 = {"advapi32.dll", NULL, 0};
static Library kernel32 = {"kernel32.dll", NULL, 0};

struct Entry {
    Library *library;
    const char *name;
    FARPROC address;
    DWORD error; // why it could not be had; 0 until it was tried
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
static AnyFunction Resolve(Entry *entry)
{
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

// Each operation: call the real one, or return what it returns when it fails, with the
// loader's code already in the last error. Each keeps its own entry, so that an exe holds
// only those of the operations it calls.
#define AS_WRAPPER(library, ret, name, failed, params, args)                                  \
    ret WINAPI name params                                                                    \
    {                                                                                         \
        static Entry entry = {&library, #name, NULL, 0};                                      \
        decltype(&name) real = reinterpret_cast<decltype(&name)>(Resolve(&entry));            \
        return real != NULL ? real args : failed;                                             \
    }
LOADED_OPERATIONS(AS_WRAPPER)
#undef AS_WRAPPER
