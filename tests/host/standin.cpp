#include "standin.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

World *world;

static HDEVINFO const kDeviceSet = (HDEVINFO)0x5e7;
static HANDLE const kFileSearch = (HANDLE)0xf17d;
static HWINSTA const kStation = (HWINSTA)0x57a;
static const SIZE_T kLargestBlock = 256u << 20;

std::set<unsigned char> CodePage932LeadBytes()
{
    std::set<unsigned char> lead;
    for (int c = 0x81; c <= 0x9f; c++)
        lead.insert((unsigned char)c);
    for (int c = 0xe0; c <= 0xfc; c++)
        lead.insert((unsigned char)c);
    return lead;
}

std::set<unsigned char> CodePage936LeadBytes()
{
    std::set<unsigned char> lead;
    for (int c = 0x81; c <= 0xfe; c++)
        lead.insert((unsigned char)c);
    return lead;
}

const char *OpName(Op op)
{
#define AS_NAME(library, name) #name,
    static const char *const names[] = {PLATFORM_OPERATIONS(AS_NAME)};
#undef AS_NAME
    return names[(int)op];
}

const char *OpLibrary(Op op)
{
#define AS_LIBRARY(library, name) #library,
    static const char *const libraries[] = {PLATFORM_OPERATIONS(AS_LIBRARY)};
#undef AS_LIBRARY
    return libraries[(int)op];
}

std::vector<Fault> LibraryMissing(const char *library)
{
    std::vector<Fault> faults;
    for (Op op : kAllOps)
        if (strcmp(OpLibrary(op), library) == 0)
            faults.push_back({op, 0, ERROR_MOD_NOT_FOUND});
    return faults;
}

// Counts and records the call, and tells whether a fault applies to it; the fault's code
// is then the last error.
static bool Fails(Op op, size_t device = 0)
{
    unsigned call = ++world->calls[op];
    world->journal.push_back({op, world->out.size(), device, world->lastError});
    for (const Fault &fault : world->faults)
        if (fault.op == op && (fault.call == 0 || fault.call == call)) {
            world->lastError = fault.code;
            return true;
        }
    return false;
}

static BOOL Fail(DWORD code)
{
    world->lastError = code;
    return FALSE;
}

static BOOL Succeed(void)
{
    if (!world->successKeepsLastError)
        world->lastError = ERROR_SUCCESS;
    return TRUE;
}

DWORD GetLastError(void)
{
    return world->lastError;
}

void SetLastError(DWORD code)
{
    world->lastError = code;
}

int ArgumentCount(void)
{
    return (int)world->args.size();
}

char **ArgumentVector(void)
{
    world->argv.clear();
    for (std::string &arg : world->args)
        world->argv.push_back(&arg[0]);
    world->argv.push_back(NULL);
    return world->argv.data();
}

std::u16string Widened(const std::string &bytes)
{
    std::u16string wide;
    for (unsigned char byte : bytes)
        wide += (char16_t)byte;
    return wide;
}

WCHAR **WideArgumentVector(void)
{
    world->wideStorage = world->wideArgs;
    for (size_t i = world->wideStorage.size(); i < world->args.size(); i++)
        world->wideStorage.push_back(Widened(world->args[i]));
    world->wideArgv.clear();
    for (std::u16string &arg : world->wideStorage)
        world->wideArgv.push_back(&arg[0]);
    world->wideArgv.push_back(NULL);
    return world->wideArgv.data();
}

int PrintOutput(const char *format, ...)
{
    if (Fails(Op::printf))
        return -1;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(NULL, 0, format, args);
    va_end(args);
    std::string line(length > 0 ? (size_t)length + 1 : 1, '\0');
    va_start(args, format);
    vsnprintf(&line[0], line.size(), format, args);
    va_end(args);
    for (int i = 0; i < length; i++)
        world->out += line[i] == '\n' ? std::string("\r\n") : std::string(1, line[i]);
    return length;
}

void FlushOutput(void)
{
    world->delivered = world->out.size();
}

static void *Allocate(SIZE_T bytes)
{
    void *block = calloc(1, bytes ? bytes : 1);
    world->blocks.insert(block);
    return block;
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if (flags != LPTR || Fails(Op::LocalAlloc))
        return NULL;
    // A machine's memory ends somewhere; a size read from a misbehaving platform may be
    // beyond it.
    if (bytes > kLargestBlock) {
        world->lastError = ERROR_NOT_ENOUGH_MEMORY;
        return NULL;
    }
    return Allocate(bytes);
}

HLOCAL LocalFree(HLOCAL block)
{
    if (block != NULL && world->blocks.erase(block) == 0)
        world->badFrees++;
    else
        free(block);
    return NULL;
}

DWORD FormatMessageA(DWORD flags, const void *source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD, va_list *arguments)
{
    if (flags != (FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM) || source ||
        languageId != MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) || arguments)
        return Fail(ERROR_INVALID_PARAMETER);
    if (Fails(Op::FormatMessageA))
        return 0;
    auto text = world->texts.find(messageId);
    if (text == world->texts.end())
        return Fail(ERROR_MR_MID_NOT_FOUND);
    // Its own allocation; a FormatMessage fault stands for running out of memory here.
    char *copy = (char *)Allocate(text->second.size() + 1);
    memcpy(copy, text->second.c_str(), text->second.size() + 1);
    *(char **)buffer = copy;
    return (DWORD)text->second.size();
}

BOOL IsDBCSLeadByte(BYTE character)
{
    return world->leadBytes.count(character) != 0;
}

int lstrlenA(LPCSTR string)
{
    return string ? (int)strlen(string) : 0;
}

int lstrlenW(LPCWSTR string)
{
    return string ? (int)std::char_traits<WCHAR>::length(string) : 0;
}

WCHAR *lstrcpynW(WCHAR *destination, LPCWSTR source, int length)
{
    int i = 0;
    for (; i < length - 1 && source[i] != 0; i++)
        destination[i] = source[i];
    if (length > 0)
        destination[i] = 0;
    return destination;
}

WCHAR *lstrcatW(WCHAR *destination, LPCWSTR source)
{
    lstrcpynW(destination + lstrlenW(destination), source, lstrlenW(source) + 1);
    return destination;
}

HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW *found)
{
    world->searchedPaths.push_back(path);
    if (Fails(Op::FindFirstFileW))
        return INVALID_HANDLE_VALUE;
    if (world->files.count(path) == 0) {
        world->lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    memset(found, 0, sizeof *found);
    world->openSearches++;
    return kFileSearch;
}

BOOL FindClose(HANDLE search)
{
    if (search != kFileSearch || world->openSearches == 0)
        return Fail(ERROR_INVALID_HANDLE);
    world->openSearches--;
    return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR title)
{
    if (Fails(Op::FindWindowA))
        return NULL;
    for (size_t i = 0; className == NULL && i < world->windows.size(); i++)
        if (world->windows[i] == title)
            return (HWND)(i + 1);
    return NULL;
}

// A window's thread that has stopped reading messages is a SendMessage fault with
// ERROR_TIMEOUT: the window stays. Waiting without a bound, or for long, is refused.
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM, LPARAM, UINT flags,
                            UINT milliseconds, PDWORD_PTR)
{
    size_t index = (size_t)window - 1;
    if (flags != SMTO_ABORTIFHUNG || milliseconds == 0 || milliseconds > 10000)
        return Fail(ERROR_INVALID_PARAMETER);
    if (Fails(Op::SendMessageTimeoutA))
        return 0;
    if (message == WM_CLOSE && index < world->windows.size()) {
        world->closed.push_back(world->windows[index]);
        world->windows.erase(world->windows.begin() + (long)index);
    }
    return 1;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (Fails(Op::MessageBoxA))
        return 0;
    if (owner == NULL)
        world->boxes.push_back({text, caption, type, world->out.substr(0, world->delivered)});
    return 1;
}

// Upper-cases ASCII letters and leaves double-byte characters whole, trail bytes too.
LPSTR CharUpperA(LPSTR string)
{
    if (Fails(Op::CharUpperA))
        return NULL;
    for (char *at = string; *at != '\0'; at++) {
        if (IsDBCSLeadByte((BYTE)*at) && at[1] != '\0')
            at++;
        else if (*at >= 'a' && *at <= 'z')
            *at = (char)(*at - 'a' + 'A');
    }
    return string;
}

HWINSTA GetProcessWindowStation(void)
{
    return Fails(Op::GetProcessWindowStation) ? NULL : kStation;
}

BOOL GetUserObjectInformationA(HANDLE object, int index, PVOID information, DWORD size,
                               LPDWORD needed)
{
    if (object != kStation || index != UOI_FLAGS || size < sizeof(USEROBJECTFLAGS))
        return Fail(ERROR_INVALID_PARAMETER);
    if (Fails(Op::GetUserObjectInformationA))
        return FALSE;
    USEROBJECTFLAGS *flags = (USEROBJECTFLAGS *)information;
    *flags = {FALSE, FALSE, world->stationVisible ? (DWORD)WSF_VISIBLE : 0};
    if (needed)
        *needed = sizeof *flags;
    return Succeed();
}

HDEVINFO SetupDiGetClassDevsA(const GUID *classGuid, LPCSTR enumerator, HWND parent, DWORD flags)
{
    if (classGuid || enumerator || parent || flags != (DIGCF_PRESENT | DIGCF_ALLCLASSES)) {
        world->lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    if (Fails(Op::SetupDiGetClassDevsA))
        return INVALID_HANDLE_VALUE;
    world->openSets++;
    Succeed();
    return kDeviceSet;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (device->cbSize != sizeof *device)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (Fails(Op::SetupDiEnumDeviceInfo, index))
        return FALSE;
    if (index >= world->devices.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    device->DevInst = index;
    return Succeed();
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                       PDWORD type, PBYTE buffer, DWORD size,
                                       PDWORD requiredSize)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (device->DevInst >= world->devices.size() || property != SPDRP_HARDWAREID)
        return Fail(ERROR_INVALID_PARAMETER);
    if (Fails(Op::SetupDiGetDeviceRegistryPropertyA, device->DevInst))
        return FALSE;
    const Device &stored = world->devices[device->DevInst];
    if (!stored.hasIds)
        return Fail(ERROR_INVALID_DATA);
    DWORD needed = stored.claimedSize ? *stored.claimedSize : (DWORD)stored.ids.size();
    if (requiredSize)
        *requiredSize = needed;
    if (needed > size || (needed > 0 && buffer == NULL))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (type)
        *type = REG_MULTI_SZ;
    // Never more than the room it was given, however much data it holds.
    size_t written = needed < stored.ids.size() ? needed : stored.ids.size();
    if (written > 0)
        memcpy(buffer, stored.ids.data(), written);
    return Succeed();
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    world->openSets--; // released, even where it reports a failure
    return Fails(Op::SetupDiDestroyDeviceInfoList) ? FALSE : Succeed();
}

BOOL UpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId, LPCWSTR infPath,
                                        DWORD flags, PBOOL rebootRequired)
{
    if (parent != NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    world->updates.push_back({hardwareId, infPath, flags});
    if (Fails(Op::UpdateDriverForPlugAndPlayDevicesW))
        return FALSE;
    if (rebootRequired)
        *rebootRequired = world->rebootRequired;
    return Succeed();
}

BOOL SetupCopyOEMInfW(LPCWSTR source, LPCWSTR mediaLocation, DWORD mediaType, DWORD copyStyle,
                      WCHAR *destination, DWORD destinationSize, PDWORD requiredSize,
                      WCHAR **destinationComponent)
{
    if (mediaLocation || mediaType != SPOST_PATH || copyStyle != 0 || destination ||
        destinationSize != MAX_PATH || requiredSize || destinationComponent)
        return Fail(ERROR_INVALID_PARAMETER);
    world->copies.push_back(source);
    if (Fails(Op::SetupCopyOEMInfW))
        return FALSE;
    return Succeed();
}
