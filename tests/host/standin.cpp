#include "standin.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

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
#define AS_NAME(library, ret, name, failed, params, args) #name,
    static const char *const names[] = {PLATFORM_OPERATIONS(AS_NAME)};
#undef AS_NAME
    return names[(int)op];
}

const char *OpLibrary(Op op)
{
#define AS_LIBRARY(library, ret, name, failed, params, args) #library,
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

// Counts and records the call; a fault that applies to it leaves its code as the last
// error. The call's place in the journal.
static size_t Enter(Op op)
{
    unsigned call = ++world->calls[op];
    world->journal.push_back({op, world->out.size(), world->lastError, false, false});
    for (const Fault &fault : world->faults)
        if (fault.op == op && (fault.call == 0 || fault.call == call)) {
            world->lastError = fault.code;
            world->journal.back().faulted = true;
            break;
        }
    return world->journal.size() - 1;
}

static void Unmodelled(const std::string &what)
{
    world->unmodelled.push_back(what);
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

std::u16string Widened(const std::string &bytes)
{
    std::u16string wide;
    for (unsigned char byte : bytes)
        wide += (char16_t)byte;
    return wide;
}

int RunProgram(ProgramMain *main)
{
    std::vector<std::string> args = world->args;
    std::vector<std::u16string> wide = world->wideArgs;
    for (size_t i = wide.size(); i < args.size(); i++)
        wide.push_back(Widened(args[i]));
    std::vector<char *> argv;
    std::vector<WCHAR *> wideArgv;
    for (size_t i = 0; i < args.size(); i++) {
        argv.push_back(&args[i][0]);
        wideArgv.push_back(&wide[i][0]);
    }
    argv.push_back(NULL);
    wideArgv.push_back(NULL);
    return main((int)args.size(), argv.data(), wideArgv.data());
}

int PrintOutput(const char *format, ...)
{
    size_t call = Enter(Op::printf);
    if (world->journal[call].faulted)
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
    world->journal[call].succeeded = true;
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

HLOCAL LocalFree(HLOCAL block)
{
    if (block != NULL && world->blocks.erase(block) == 0)
        world->badFrees++;
    else
        free(block);
    return NULL;
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

LPWSTR lstrcpynW(LPWSTR destination, LPCWSTR source, int length)
{
    int i = 0;
    for (; i < length - 1 && source[i] != 0; i++)
        destination[i] = source[i];
    if (length > 0)
        destination[i] = 0;
    return destination;
}

LPWSTR lstrcatW(LPWSTR destination, LPCWSTR source)
{
    lstrcpynW(destination + lstrlenW(destination), source, lstrlenW(source) + 1);
    return destination;
}

static char16_t Folded(char16_t c)
{
    return c >= u'a' && c <= u'z' ? (char16_t)(c - u'a' + u'A') : c;
}

// File names compare without regard to case; * and ? are the search's wildcards.
static bool NameMatches(const char16_t *pattern, const char16_t *name)
{
    if (*pattern == 0)
        return *name == 0;
    if (*pattern == u'*')
        return NameMatches(pattern + 1, name) || (*name != 0 && NameMatches(pattern, name + 1));
    if (*name == 0 || (*pattern != u'?' && Folded(*pattern) != Folded(*name)))
        return false;
    return NameMatches(pattern + 1, name + 1);
}

// The files that a search for pattern finds, by full path.
static std::vector<std::u16string> FilesMatching(const std::u16string &pattern)
{
    std::vector<std::u16string> found;
    size_t slash = pattern.rfind(u'\\') + 1; // npos + 1: no folder
    for (const auto &file : world->files) {
        const std::u16string &path = file.first;
        size_t fileSlash = path.rfind(u'\\') + 1;
        if (fileSlash == slash && NameMatches(pattern.substr(0, slash).c_str(), path.substr(0, slash).c_str()) &&
            NameMatches(pattern.c_str() + slash, path.c_str() + slash))
            found.push_back(path);
    }
    return found;
}

BOOL FindClose(HANDLE search)
{
    if (search != kFileSearch || world->openSearches == 0)
        return Fail(ERROR_INVALID_HANDLE);
    world->openSearches--;
    return TRUE;
}

// The models of the table's operations, each behind the fault hook below.
namespace model {

static HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if ((flags & ~LPTR) != 0) {
        Unmodelled("LocalAlloc with flags other than LMEM_ZEROINIT");
        return NULL;
    }
    // A machine's memory ends somewhere; a size read from a misbehaving platform may be
    // beyond it.
    if (bytes > kLargestBlock) {
        world->lastError = ERROR_NOT_ENOUGH_MEMORY;
        return NULL;
    }
    void *block = Allocate(bytes);
    if (flags != LPTR)
        memset(block, 0xcd, bytes); // not zero-filled: what was there before
    return block;
}

static bool HasInserts(const std::string &text)
{
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2))
        if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9')
            return true;
    return false;
}

// From the system's texts; an insert (%1) without arguments is refused, as Wine does
// (Windows may read through the missing argument list instead).
static DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list *arguments)
{
    const DWORD known = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE |
                        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                        FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if ((flags & ~known) != 0 || buffer == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    if ((flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) != 0 ||
        (flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) != 0 ||
        source != NULL) {
        Unmodelled("FormatMessageA from anything but the system's texts, or with line widths");
        return 0;
    }
    if (languageId != 0 && languageId != MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT))
        return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    auto found = world->texts.find(messageId);
    if (found == world->texts.end())
        return Fail(ERROR_MR_MID_NOT_FOUND);
    const std::string &text = found->second;
    if ((flags & FORMAT_MESSAGE_IGNORE_INSERTS) == 0 && HasInserts(text)) {
        if (arguments == NULL)
            return Fail(ERROR_INVALID_PARAMETER);
        Unmodelled("FormatMessageA filling inserts");
        return 0;
    }
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        char *copy = (char *)Allocate(text.size() + 1);
        memcpy(copy, text.c_str(), text.size() + 1);
        *(char **)buffer = copy;
    } else if (text.size() + 1 > size) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    } else {
        memcpy(buffer, text.c_str(), text.size() + 1);
    }
    return (DWORD)text.size();
}

static HANDLE FindFirstFileW(LPCWSTR path, LPWIN32_FIND_DATAW found)
{
    world->searchedPaths.push_back(path);
    std::vector<std::u16string> matches = FilesMatching(path);
    if (matches.empty()) {
        world->lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    memset(found, 0, sizeof *found);
    const std::u16string &first = matches[0];
    found->nFileSizeLow = (DWORD)world->files[first].size();
    lstrcpynW(found->cFileName, first.c_str() + (first.rfind(u'\\') + 1), MAX_PATH);
    world->openSearches++;
    return kFileSearch;
}

static HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    if (className != NULL) {
        Unmodelled("FindWindowW by class");
        return NULL;
    }
    for (size_t i = 0; i < world->windows.size(); i++)
        if (title != NULL && world->windows[i] == title)
            return (HWND)(i + 1);
    return NULL;
}

// A window whose thread reads no messages keeps the caller for the whole bound: it may
// have stopped only just now, before Windows counts it as hung.
static LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM, LPARAM, UINT flags,
                                   UINT timeout, PDWORD_PTR result)
{
    size_t index = (size_t)window - 1;
    const UINT known = SMTO_BLOCK | SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG | SMTO_ERRORONEXIT;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    if (index >= world->windows.size())
        return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (world->hung.count(world->windows[index]) != 0) {
        world->waited += (flags & SMTO_NOTIMEOUTIFNOTHUNG) ? MAXDWORD : timeout;
        return Fail(ERROR_TIMEOUT);
    }
    if (message == WM_CLOSE) {
        world->closed.push_back(world->windows[index]);
        world->windows.erase(world->windows.begin() + (long)index);
    }
    if (result != NULL)
        *result = 0;
    return 1;
}

static int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    world->boxes.push_back({text ? text : "", caption ? caption : "Error", type,
                            world->out.substr(0, world->delivered)});
    (void)owner;
    return 1; // IDOK
}

// Upper-cases ASCII letters and leaves double-byte characters whole, trail bytes too.
static LPSTR CharUpperA(LPSTR string)
{
    if (world->upperCaseSkipped.count(0) || world->upperCaseSkipped.count(world->calls[Op::CharUpperA]))
        return string;
    for (char *at = string; *at != '\0'; at++) {
        if (IsDBCSLeadByte((BYTE)*at) && at[1] != '\0')
            at++;
        else if (*at >= 'a' && *at <= 'z')
            *at = (char)(*at - 'a' + 'A');
    }
    return string;
}

static HWINSTA GetProcessWindowStation(void)
{
    return kStation;
}

static BOOL GetUserObjectInformationA(HANDLE object, int index, PVOID information, DWORD size,
                                      LPDWORD needed)
{
    if (object != kStation)
        return Fail(ERROR_INVALID_HANDLE);
    if (index != (int)UOI_FLAGS) {
        Unmodelled("GetUserObjectInformationA other than UOI_FLAGS");
        return FALSE;
    }
    if (needed)
        *needed = sizeof(USEROBJECTFLAGS);
    if (size < sizeof(USEROBJECTFLAGS))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    USEROBJECTFLAGS *flags = (USEROBJECTFLAGS *)information;
    *flags = {FALSE, FALSE, world->stationVisible ? (DWORD)WSF_VISIBLE : 0};
    return Succeed();
}

static HDEVINFO SetupDiGetClassDevsA(const GUID *classGuid, LPCSTR enumerator, HWND, DWORD flags)
{
    const DWORD known = DIGCF_DEFAULT | DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE |
                        DIGCF_DEVICEINTERFACE;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_FLAGS), INVALID_HANDLE_VALUE;
    if (classGuid == NULL && (flags & DIGCF_ALLCLASSES) == 0)
        return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
    if (enumerator != NULL || (flags & (DIGCF_ALLCLASSES | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE |
                                        DIGCF_DEFAULT)) != DIGCF_ALLCLASSES) {
        Unmodelled("SetupDiGetClassDevsA other than of all classes");
        return INVALID_HANDLE_VALUE;
    }
    world->setMembers.clear();
    for (size_t i = 0; i < world->devices.size(); i++)
        if (world->devices[i].present || (flags & DIGCF_PRESENT) == 0)
            world->setMembers.push_back(i);
    world->openSets++;
    Succeed();
    return kDeviceSet;
}

static BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (device == NULL || device->cbSize != sizeof *device)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (index >= world->setMembers.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    device->DevInst = (DWORD)world->setMembers[index];
    return Succeed();
}

static BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device,
                                              DWORD property, PDWORD type, PBYTE buffer,
                                              DWORD size, PDWORD requiredSize)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (device == NULL || device->DevInst >= world->devices.size())
        return Fail(ERROR_INVALID_PARAMETER);
    if (property != SPDRP_HARDWAREID) {
        Unmodelled("device properties other than SPDRP_HARDWAREID");
        return FALSE;
    }
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

static BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (set != kDeviceSet || world->openSets == 0)
        return Fail(ERROR_INVALID_HANDLE);
    world->openSets--;
    return Succeed();
}

// Windows reuses a published copy of the same bytes, else names a new one oemN.inf.
static std::u16string Publish(const std::u16string &source)
{
    const std::string bytes = world->files[source];
    for (const std::u16string &path : FilesMatching(kInfFolder + u"oem*.inf"))
        if (world->files[path] == bytes)
            return path;
    std::u16string path;
    for (int n = 0; path.empty() || world->files.count(path) != 0; n++)
        path = kInfFolder + u"oem" + Widened(std::to_string(n)) + u".inf";
    world->files[path] = bytes;
    return path;
}

static BOOL SetupCopyOEMInfW(LPCWSTR source, LPCWSTR, DWORD mediaType, DWORD copyStyle,
                             LPWSTR destination, DWORD destinationSize, PDWORD requiredSize,
                             LPWSTR *destinationComponent)
{
    if (source == NULL || mediaType > SPOST_URL)
        return Fail(ERROR_INVALID_PARAMETER);
    if (copyStyle != 0) {
        Unmodelled("SetupCopyOEMInfW with copy styles");
        return FALSE;
    }
    if (world->files.count(source) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    std::u16string published = Publish(source);
    world->copies.push_back(source);
    if (requiredSize)
        *requiredSize = (DWORD)published.size() + 1;
    if (destination != NULL) {
        if (destinationSize < published.size() + 1)
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        lstrcpynW(destination, published.c_str(), (int)destinationSize);
        if (destinationComponent)
            *destinationComponent = destination + (published.rfind(u'\\') + 1);
    }
    return Succeed();
}

static bool SameIdIgnoringCase(const std::string &id, const std::u16string &wanted)
{
    std::u16string wide = Widened(id);
    if (wide.size() != wanted.size())
        return false;
    for (size_t i = 0; i < wide.size(); i++)
        if (Folded(wide[i]) != Folded(wanted[i]))
            return false;
    return true;
}

static bool PresentDeviceCarries(const std::u16string &hardwareId)
{
    for (const Device &device : world->devices) {
        const std::string &ids = device.ids;
        for (size_t at = 0; device.present && device.hasIds && at < ids.size();) {
            size_t end = std::min(ids.find('\0', at), ids.size());
            if (end == at)
                break;
            if (SameIdIgnoringCase(ids.substr(at, end - at), hardwareId))
                return true;
            at = end + 1;
        }
    }
    return false;
}

static BOOL UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR infPath,
                                               DWORD flags, PBOOL rebootRequired)
{
    const DWORD known = INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE;
    if (hardwareId == NULL || infPath == NULL || (flags & ~known) != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    if (world->files.count(infPath) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!PresentDeviceCarries(hardwareId))
        return Fail(ERROR_NO_SUCH_DEVINST);
    Publish(infPath);
    world->updates.push_back({hardwareId, infPath, flags});
    world->restartAsked = world->rebootRequired;
    if (rebootRequired)
        *rebootRequired = world->rebootRequired;
    return Succeed();
}

} // namespace model

// The fault hook: a faulted call fails as the operation does, with the fault's code;
// any other reaches the model. Either way the journal records how it ended.
#define AS_FAULT_HOOK(library, ret, name, failed, params, args)                    \
    ret name params                                                                \
    {                                                                              \
        size_t entered_ = Enter(Op::name);                                         \
        ret returned_ = world->journal[entered_].faulted ? (ret)(failed) : model::name args; \
        world->journal[entered_].succeeded = !(returned_ == (ret)(failed));        \
        return returned_;                                                          \
    }
LOADED_OPERATIONS(AS_FAULT_HOOK)
IMPORTED_OPERATIONS(AS_FAULT_HOOK)
#undef AS_FAULT_HOOK
