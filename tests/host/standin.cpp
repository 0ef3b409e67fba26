#include "standin.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <type_traits>

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

static char16_t Folded(char16_t c)
{
    return c >= u'a' && c <= u'z' ? (char16_t)(c - u'a' + u'A') : c;
}

static std::u16string Folded(std::u16string text)
{
    for (char16_t &c : text)
        c = Folded(c);
    return text;
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

// What a path names in full, as the system resolves it: against the current folder (or its
// drive), with / as \ and . and .. folded.
static std::u16string FullPath(std::u16string path)
{
    std::replace(path.begin(), path.end(), u'/', u'\\');
    const std::u16string &current = world->currentFolder;
    std::u16string root = current.substr(0, 2), rest;
    if (path.compare(0, 2, u"\\\\") == 0) {
        size_t share = path.find(u'\\', path.find(u'\\', 2) + 1);
        root = path.substr(0, share);
        rest = share == std::u16string::npos ? u"" : path.substr(share);
    } else if (path.size() >= 2 && path[1] == u':') {
        root = path.substr(0, 2);
        rest = path.substr(2);
        if (rest.empty() || rest[0] != u'\\')
            rest = (Folded(root) == Folded(current.substr(0, 2)) ? current.substr(2) : u"") + u"\\" + rest;
    } else {
        rest = (path.empty() || path[0] != u'\\' ? current.substr(2) + u"\\" : u"") + path;
    }
    std::vector<std::u16string> parts;
    for (size_t at = 0; at <= rest.size();) {
        size_t end = std::min(rest.find(u'\\', at), rest.size());
        std::u16string part = rest.substr(at, end - at);
        if (part == u"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::u16string full = root;
    for (const std::u16string &part : parts)
        full += u"\\" + part;
    return parts.empty() || rest.back() == u'\\' ? full + u"\\" : full;
}

// The SDK's INF parameters are full paths; Windows refuses a relative one (Wine's own
// test_SetupCopyOEMInf, run on Windows, expects ERROR_FILE_NOT_FOUND). Wine 10 takes it.
static bool IsFullPath(const std::u16string &path)
{
    return path.compare(0, 2, u"\\\\") == 0 || (path.size() >= 3 && path[1] == u':' && path[2] == u'\\');
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
    world->found.clear();
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    if (world->openFiles.erase(object) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

static std::u16string InfFolder()
{
    return world->windowsFolder + u"\\inf\\";
}

// Files leave through here, so that what was deleted can be judged.
static void Delete(const std::u16string &path)
{
    world->deleted[path] = world->files[path];
    world->files.erase(path);
}

// The models of the table's operations, each behind the fault hook below.
namespace model {

static HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    if ((flags & ~LPTR) != 0)
        return Unmodelled("LocalAlloc with flags other than LMEM_ZEROINIT"), nullptr;
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
        source != NULL)
        return Unmodelled("FormatMessageA from anything but the system's texts, or with line widths"), 0;
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

// The next file of the open search, as the search describes it.
static void GiveFound(LPWIN32_FIND_DATAW found)
{
    const std::u16string path = world->found.front();
    world->found.erase(world->found.begin());
    memset(found, 0, sizeof *found);
    found->nFileSizeLow = (DWORD)world->files[path].size();
    lstrcpynW(found->cFileName, path.c_str() + (path.rfind(u'\\') + 1), MAX_PATH);
}

static HANDLE FindFirstFileW(LPCWSTR path, LPWIN32_FIND_DATAW found)
{
    world->searchedPaths.push_back(path);
    std::vector<std::u16string> matches = FilesMatching(FullPath(path));
    if (matches.empty()) {
        world->lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (world->openSearches != 0)
        return Unmodelled("two file searches at once"), INVALID_HANDLE_VALUE;
    world->found = matches;
    world->openSearches++;
    GiveFound(found);
    return kFileSearch;
}

static BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found)
{
    if (search != kFileSearch || world->openSearches == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (world->found.empty())
        return Fail(ERROR_NO_MORE_FILES);
    GiveFound(found);
    return TRUE;
}

// The room it needs, terminator included, when buffer is too small; else the length.
static DWORD GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR *filePart)
{
    if (name == NULL || *name == 0)
        return Fail(ERROR_INVALID_NAME);
    std::u16string full = FullPath(name);
    if (size <= full.size() || buffer == NULL)
        return (DWORD)full.size() + 1;
    lstrcpynW(buffer, full.c_str(), (int)size);
    if (filePart)
        *filePart = full.back() == u'\\' ? NULL : buffer + full.rfind(u'\\') + 1;
    return (DWORD)full.size();
}

static HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    if (className != NULL)
        return Unmodelled("FindWindowW by class"), nullptr;
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
    if (index != (int)UOI_FLAGS)
        return Unmodelled("GetUserObjectInformationA other than UOI_FLAGS"), FALSE;
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
                                        DIGCF_DEFAULT)) != DIGCF_ALLCLASSES)
        return Unmodelled("SetupDiGetClassDevsA other than of all classes"), INVALID_HANDLE_VALUE;
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
    if (property != SPDRP_HARDWAREID)
        return Unmodelled("device properties other than SPDRP_HARDWAREID"), FALSE;
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

static BOOL SetupSetNonInteractiveMode(BOOL nonInteractive)
{
    BOOL was = world->nonInteractive;
    world->nonInteractive = nonInteractive != FALSE;
    return was;
}

// Windows asks whether to trust a publisher it does not know yet; where it may not ask,
// the installation fails instead. A person who sees the question answers it.
static BOOL PublisherTrusted(bool mayAsk)
{
    if (!world->publisherUntrusted)
        return TRUE;
    if (!mayAsk)
        return Fail(ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED);
    world->prompts.push_back("Would you like to install this device software?");
    return TRUE;
}

// Windows reuses a published copy of the same bytes, else names a new one oemN.inf.
static std::u16string Publish(const std::u16string &source)
{
    const std::string bytes = world->files[source];
    for (const std::u16string &path : FilesMatching(InfFolder() + u"oem*.inf"))
        if (world->files[path] == bytes)
            return path;
    std::u16string path;
    for (int n = 0; path.empty() || world->files.count(path) != 0; n++)
        path = InfFolder() + u"oem" + Widened(std::to_string(n)) + u".inf";
    world->files[path] = bytes;
    world->originalNames[path] = source.substr(source.rfind(u'\\') + 1);
    return path;
}

static BOOL SetupCopyOEMInfW(LPCWSTR source, LPCWSTR, DWORD mediaType, DWORD copyStyle,
                             LPWSTR destination, DWORD destinationSize, PDWORD requiredSize,
                             LPWSTR *destinationComponent)
{
    // The SDK: the size is "zero if the buffer is not specified".
    if (source == NULL || mediaType > SPOST_URL || (destination == NULL && destinationSize != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    if (copyStyle != 0)
        return Unmodelled("SetupCopyOEMInfW with copy styles"), FALSE;
    if (!IsFullPath(source) || world->files.count(source) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!PublisherTrusted(!world->nonInteractive))
        return FALSE;
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
    return Folded(Widened(id)) == Folded(wanted);
}

static bool DeviceCarries(const Device &device, const std::u16string &hardwareId)
{
    const std::string &ids = device.ids;
    for (size_t at = 0; device.hasIds && at < ids.size();) {
        size_t end = std::min(ids.find('\0', at), ids.size());
        if (end == at)
            break;
        if (SameIdIgnoringCase(ids.substr(at, end - at), hardwareId))
            return true;
        at = end + 1;
    }
    return false;
}

static bool PresentDeviceCarries(const std::u16string &hardwareId)
{
    for (const Device &device : world->devices)
        if (device.present && DeviceCarries(device, hardwareId))
            return true;
    return false;
}

static BOOL UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR infPath,
                                               DWORD flags, PBOOL rebootRequired)
{
    const DWORD known = INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_FLAGS);
    if (hardwareId == NULL || infPath == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!IsFullPath(infPath) || world->files.count(infPath) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!PresentDeviceCarries(hardwareId))
        return Fail(ERROR_NO_SUCH_DEVINST);
    if (!PublisherTrusted((flags & INSTALLFLAG_NONINTERACTIVE) == 0))
        return FALSE;
    std::u16string published = Publish(infPath);
    for (Device &device : world->devices)
        if (device.present && DeviceCarries(device, hardwareId))
            device.infPath = published.substr(published.rfind(u'\\') + 1);
    world->updates.push_back({hardwareId, infPath, flags});
    world->restartAsked = world->rebootRequired;
    if (rebootRequired)
        *rebootRequired = world->rebootRequired;
    return Succeed();
}

static UINT GetSystemWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    UINT length = (UINT)world->windowsFolder.size();
    if (buffer == NULL || size <= length)
        return length + 1; // the room it needs, terminator included
    lstrcpynW(buffer, world->windowsFolder.c_str(), (int)size);
    return length;
}

static HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD, HANDLE)
{
    if (access != GENERIC_READ || disposition != OPEN_EXISTING)
        return Unmodelled("CreateFileW other than to read an existing file"), INVALID_HANDLE_VALUE;
    std::u16string name = FullPath(path);
    if (name.find_first_of(u"*?") != std::u16string::npos)
        return Fail(ERROR_INVALID_NAME), INVALID_HANDLE_VALUE;
    if (world->files.count(name) == 0)
        return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    if (world->unreadable.count(name) != 0)
        return Fail(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    static uintptr_t next = 0xf11e0;
    HANDLE file = (HANDLE)++next;
    world->openFiles[file] = {name, 0};
    return file;
}

static BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    auto open = world->openFiles.find(file);
    if (open == world->openFiles.end())
        return Fail(ERROR_INVALID_HANDLE);
    if (overlapped != NULL || read == NULL)
        return Unmodelled("ReadFile with an OVERLAPPED"), FALSE;
    const std::string &bytes = world->files[open->second.first];
    size_t offset = std::min(open->second.second, bytes.size());
    *read = (DWORD)std::min<size_t>(size, bytes.size() - offset);
    memcpy(buffer, bytes.data() + offset, *read);
    open->second.second = offset + *read;
    return TRUE;
}

static Device *DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA device)
{
    if (set != kDeviceSet || world->openSets == 0 || device == NULL || device->DevInst >= world->devices.size())
        return NULL;
    return &world->devices[device->DevInst];
}

static HKEY SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD scope, DWORD, DWORD keyType,
                                 REGSAM)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE), (HKEY)INVALID_HANDLE_VALUE;
    if (scope != DICS_FLAG_GLOBAL || keyType != DIREG_DRV)
        return Unmodelled("device keys other than the global driver key"), (HKEY)INVALID_HANDLE_VALUE;
    if (stored->infPath.empty())
        return Fail(ERROR_KEY_DOES_NOT_EXIST), (HKEY)INVALID_HANDLE_VALUE;
    world->openKeys++;
    return (HKEY)(uintptr_t)(0x4e70000 + device->DevInst);
}

// Returns its code, and leaves the last error alone, as the registry does.
static LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    size_t index = (uintptr_t)key - 0x4e70000;
    if (index >= world->devices.size())
        return (LONG)ERROR_INVALID_HANDLE;
    if (std::u16string(name) != u"InfPath")
        return (LONG)ERROR_FILE_NOT_FOUND;
    const std::u16string &value = world->devices[index].infPath;
    DWORD needed = (DWORD)((value.size() + 1) * sizeof(WCHAR));
    if (type)
        *type = REG_SZ;
    if (data != NULL && *size < needed) {
        *size = needed;
        return (LONG)ERROR_MORE_DATA;
    }
    if (data != NULL)
        memcpy(data, value.c_str(), needed);
    *size = needed;
    return (LONG)ERROR_SUCCESS;
}

static LONG RegCloseKey(HKEY key)
{
    if ((uintptr_t)key - 0x4e70000 >= world->devices.size() || world->openKeys == 0)
        return (LONG)ERROR_INVALID_HANDLE;
    world->openKeys--;
    return (LONG)ERROR_SUCCESS;
}

static BOOL SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device,
                                          PSP_CLASSINSTALL_HEADER params, DWORD size)
{
    if (DeviceOf(set, device) == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (params->InstallFunction != DIF_REMOVE || size != sizeof(SP_REMOVEDEVICE_PARAMS))
        return Unmodelled("class install parameters other than DIF_REMOVE's"), FALSE;
    world->removalScopes[device->DevInst] = ((SP_REMOVEDEVICE_PARAMS *)params)->Scope;
    return Succeed();
}

// DIF_REMOVE: without parameters, or with the global scope, the device is gone.
static BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    auto scope = world->removalScopes.find(device->DevInst);
    if (function != DIF_REMOVE || (scope != world->removalScopes.end() && scope->second != DI_REMOVEDEVICE_GLOBAL))
        return Unmodelled("class installer functions other than a global DIF_REMOVE"), FALSE;
    // The WDK's DIF_REMOVE page: without DI_QUIETINSTALL a class installer may show UI.
    if ((world->installFlags[device->DevInst] & DI_QUIETINSTALL) == 0)
        world->prompts.push_back("a class installer's message");
    stored->removed = true;
    stored->present = false;
    stored->infPath.clear();
    if (world->removedLeaveTheSet)
        world->setMembers.erase(std::find(world->setMembers.begin(), world->setMembers.end(), device->DevInst));
    return Succeed();
}

static BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (std::count(world->setMembers.begin(), world->setMembers.end(), device->DevInst) == 0)
        return Fail(ERROR_NO_SUCH_DEVINST);
    params->Flags = world->installFlags[device->DevInst] |
                    (stored->removed && world->removalNeedsRestart ? DI_NEEDREBOOT : 0);
    return Succeed();
}

static BOOL SetupDiSetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params)
{
    if (DeviceOf(set, device) == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if ((params->Flags & ~(DI_QUIETINSTALL | DI_NEEDREBOOT | DI_NEEDRESTART)) != 0)
        return Unmodelled("device install flags other than DI_QUIETINSTALL"), FALSE;
    world->installFlags[device->DevInst] = params->Flags;
    return Succeed();
}

// The information holds the INF's path, so that the queries below can find it.
static BOOL SetupGetInfInformationW(LPCVOID inf, DWORD search, PSP_INF_INFORMATION information,
                                    DWORD size, PDWORD requiredSize)
{
    if (search != INFINFO_INF_NAME_IS_ABSOLUTE)
        return Unmodelled("SetupGetInfInformationW other than by full path"), FALSE;
    std::u16string path((LPCWSTR)inf);
    if (world->files.count(path) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    DWORD needed = (DWORD)(offsetof(SP_INF_INFORMATION, VersionData) + (path.size() + 1) * sizeof(WCHAR));
    if (requiredSize)
        *requiredSize = needed;
    if (information == NULL)
        return Succeed();
    if (size < needed)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    information->InfStyle = INF_STYLE_WIN4;
    information->InfCount = 1;
    memcpy(information->VersionData, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return Succeed();
}

// What Windows recorded as the name before publishing; a file it never published keeps its own.
static BOOL SetupQueryInfOriginalFileInformationW(PSP_INF_INFORMATION information, UINT index,
                                                  PSP_ALTPLATFORM_INFO, PSP_ORIGINAL_FILE_INFO_W original)
{
    if (information == NULL || index >= information->InfCount)
        return Fail(ERROR_INVALID_PARAMETER);
    if (original == NULL || original->cbSize != sizeof *original)
        return Fail(ERROR_INVALID_USER_BUFFER);
    std::u16string path((const WCHAR *)information->VersionData);
    auto recorded = world->originalNames.find(path);
    std::u16string name = recorded != world->originalNames.end() ? recorded->second
                                                                 : path.substr(path.rfind(u'\\') + 1);
    lstrcpynW(original->OriginalInfName, name.c_str(), MAX_PATH);
    original->OriginalCatalogName[0] = 0;
    return Succeed();
}

static HINF SetupOpenInfFileW(LPCWSTR name, LPCWSTR infClass, DWORD style, PUINT)
{
    if (infClass != NULL || (style & INF_STYLE_WIN4) == 0)
        return Unmodelled("SetupOpenInfFileW other than of any Windows 4 INF"), INVALID_HANDLE_VALUE;
    // The SDK: a name without a folder is sought in %windir%\inf, not the current folder.
    std::u16string path(name);
    path = path.find(u'\\') == std::u16string::npos ? InfFolder() + path : FullPath(path);
    if (world->files.count(path) == 0)
        return Fail(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
    static uintptr_t next = 0x1f0;
    HINF inf = (HINF)++next;
    world->openInfs[inf] = path;
    return inf;
}

static std::string Trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

static bool SameTextIgnoringCase(const std::string &left, const std::string &right)
{
    return Folded(Widened(left)) == Folded(Widened(right));
}

// The value of key in section of an INF's text: quotes taken off, %strings% put in.
static bool InfValue(const std::string &text, const std::string &section, const std::string &key,
                     std::string *value)
{
    std::string current;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = std::min(text.find('\n', at), text.size());
        std::string line = Trimmed(text.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line[0] == '[') {
            current = line.substr(1, line.find(']') - 1);
            continue;
        }
        size_t equals = line.find('=');
        if (!SameTextIgnoringCase(current, section) || equals == std::string::npos ||
            !SameTextIgnoringCase(Trimmed(line.substr(0, equals)), key))
            continue;
        *value = Trimmed(line.substr(equals + 1));
        if (value->size() >= 2 && value->front() == '%' && value->back() == '%' &&
            !InfValue(text, "Strings", value->substr(1, value->size() - 2), value))
            return false;
        if (value->size() >= 2 && value->front() == '"' && value->back() == '"')
            *value = value->substr(1, value->size() - 2);
        return true;
    }
    return false;
}

static BOOL SetupGetLineTextW(PINFCONTEXT context, HINF inf, LPCWSTR section, LPCWSTR key, LPWSTR buffer,
                              DWORD size, PDWORD requiredSize)
{
    if (context != NULL)
        return Unmodelled("SetupGetLineTextW from a line context"), FALSE;
    auto open = world->openInfs.find(inf);
    if (open == world->openInfs.end())
        return Fail(ERROR_INVALID_HANDLE);
    std::string value, sectionName, keyName;
    for (const WCHAR *at = section; *at; at++)
        sectionName += (char)*at;
    for (const WCHAR *at = key; *at; at++)
        keyName += (char)*at;
    if (!InfValue(world->files[open->second], sectionName, keyName, &value))
        return Fail(ERROR_LINE_NOT_FOUND);
    std::u16string wide = Widened(value);
    if (requiredSize)
        *requiredSize = (DWORD)wide.size() + 1;
    if (buffer != NULL && size < wide.size() + 1)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (buffer != NULL)
        lstrcpynW(buffer, wide.c_str(), (int)size);
    return Succeed();
}

static void SetupCloseInfFile(HINF inf)
{
    world->openInfs.erase(inf);
}

static bool CopyInUse(const std::u16string &name)
{
    for (const Device &device : world->devices)
        if (!device.removed && Folded(device.infPath) == Folded(name))
            return true;
    return false;
}

// Refused while a device still uses the copy, unless forced.
static BOOL SetupUninstallOEMInfW(LPCWSTR name, DWORD flags, PVOID reserved)
{
    if ((flags & ~SUOI_FORCEDELETE) != 0)
        return Fail(ERROR_INVALID_FLAGS);
    if (name == NULL || reserved != NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    std::u16string file(name);
    if (file.find(u'\\') != std::u16string::npos)
        return Fail(ERROR_INVALID_NAME);
    if (world->files.count(InfFolder() + file) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (CopyInUse(file) && (flags & SUOI_FORCEDELETE) == 0)
        return Fail(ERROR_INF_IN_USE_BY_DEVICES);
    Delete(InfFolder() + file);
    return Succeed();
}

// Where newdev has it: each device that uses the package moves to its next-best driver
// (none here), and the package goes.
static BOOL DiUninstallDriverW(HWND, LPCWSTR infPath, DWORD flags, PBOOL needReboot)
{
    if (!world->driverUninstallKnown)
        return Fail(ERROR_PROC_NOT_FOUND);
    if (infPath == NULL || flags != 0)
        return Unmodelled("DiUninstallDriverW with flags"), FALSE;
    std::u16string path(infPath);
    if (!IsFullPath(path) || world->files.count(path) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    // Windows 10 can hold a package as still in use by the system.
    if (world->packageHeldBySystem)
        return Fail(ERROR_INF_IN_USE_BY_DEVICES);
    std::u16string name = path.substr(path.rfind(u'\\') + 1);
    for (Device &device : world->devices)
        if (Folded(device.infPath) == Folded(name))
            device.infPath.clear();
    Delete(path);
    if (needReboot)
        *needReboot = world->removalNeedsRestart;
    return Succeed();
}

} // namespace model

// The fault hook: a faulted call fails as the operation does, with the fault's code;
// any other reaches the model. Either way the journal records how it ended.
template <class Ret, class Model, class Failed> static Ret Hooked(Op op, Model model, Failed failed)
{
    size_t entered = Enter(op);
    bool faulted = world->journal[entered].faulted;
    if constexpr (std::is_void_v<Ret>) {
        if (!faulted)
            model();
        world->journal[entered].succeeded = !faulted;
    } else {
        Ret returned = faulted ? failed() : model();
        world->journal[entered].succeeded = !(returned == failed());
        return returned;
    }
}

#define AS_FAULT_HOOK(library, ret, name, failed, params, args)                                \
    ret name params                                                                            \
    {                                                                                          \
        return Hooked<ret>(Op::name, [&] { return model::name args; }, [&] { return (ret)(failed); }); \
    }
LOADED_OPERATIONS(AS_FAULT_HOOK)
IMPORTED_OPERATIONS(AS_FAULT_HOOK)
#undef AS_FAULT_HOOK
