// KERNEL32's models: memory, message texts, strings, paths and files.
#include "rooms.h"

#include <string.h>

#include <algorithm>

static const SIZE_T kLargestBlock = 256u << 20;

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
std::u16string FullPath(std::u16string path)
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
            rest = (SameFolded(root, current.substr(0, 2)) ? current.substr(2) : u"") + u"\\" + rest;
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
bool IsFullPath(const std::u16string &path)
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
    if (*name == 0 || (*pattern != u'?' && !SameFolded({*pattern}, {*name})))
        return false;
    return NameMatches(pattern + 1, name + 1);
}

// The 8.3 alias that NTFS gives a name that is no valid 8.3 name itself: up to six of its
// letters, ~1, a dot and up to three of its extension's, upper-cased, with dots, blanks and
// +,;=[] left out (the first alias of its kind: no folder here holds two). Empty for a valid
// 8.3 name.
static std::u16string ShortAlias(const std::u16string &name)
{
    static const std::u16string kLeftOut = u". +,;=[]";
    size_t dot = name.rfind(u'.');
    std::u16string base = name.substr(0, dot), extension = dot == std::u16string::npos ? u"" : name.substr(dot + 1);
    if (!base.empty() && base.size() <= 8 && extension.size() <= 3 &&
        (base + extension).find_first_of(kLeftOut) == std::u16string::npos)
        return u"";
    auto shortened = [](const std::u16string &part, size_t longest) {
        std::u16string kept;
        for (char16_t unit : part)
            if (kLeftOut.find(unit) == std::u16string::npos && kept.size() < longest)
                kept += unit >= u'a' && unit <= u'z' ? (char16_t)(unit - u'a' + u'A') : unit;
        return kept;
    };
    std::u16string alias = shortened(base, 6) + u"~1";
    return extension.empty() ? alias : alias + u"." + shortened(extension, 3);
}

// The files that a search for pattern finds, by full path. A name matches by itself or by
// its 8.3 alias, as FindFirstFileW matches short names as well as long ones (its
// documentation, https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-findfirstfilew):
// "oem*.inf" also finds oem3.info, through OEM3~1.INF.
std::vector<std::u16string> FilesMatching(const std::u16string &pattern)
{
    std::vector<std::u16string> found;
    size_t slash = pattern.rfind(u'\\') + 1; // npos + 1: no folder
    for (const auto &file : world->files) {
        const std::u16string &path = file.first;
        size_t fileSlash = path.rfind(u'\\') + 1;
        std::u16string alias = ShortAlias(path.substr(fileSlash));
        if (fileSlash == slash && NameMatches(pattern.substr(0, slash).c_str(), path.substr(0, slash).c_str()) &&
            (NameMatches(pattern.c_str() + slash, path.c_str() + slash) ||
             (!alias.empty() && NameMatches(pattern.c_str() + slash, alias.c_str()))))
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
    if (!CloseProcessHandle(object) && world->openFiles.erase(object) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

static bool HasInserts(const std::string &text)
{
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2))
        if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9')
            return true;
    return false;
}

// The next file of the open search, as the search describes it.
static void GiveFound(LPWIN32_FIND_DATAW found)
{
    const std::u16string path = world->found.front();
    world->found.erase(world->found.begin());
    memset(found, 0, sizeof *found);
    found->nFileSizeLow = (DWORD)world->files[path].size();
    auto growth = world->growOnceListed.find(path);
    if (growth != world->growOnceListed.end()) {
        world->files[path] += growth->second;
        world->growOnceListed.erase(growth);
    }
    lstrcpynW(found->cFileName, path.c_str() + (path.rfind(u'\\') + 1), MAX_PATH);
}

namespace model {

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
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

// From the system's texts; an insert (%1) without arguments is refused, as Wine does
// (Windows may read through the missing argument list instead).
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
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

HANDLE FindFirstFileW(LPCWSTR path, LPWIN32_FIND_DATAW found)
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

BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found)
{
    if (search != kFileSearch || world->openSearches == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (world->found.empty())
        return Fail(ERROR_NO_MORE_FILES);
    GiveFound(found);
    return TRUE;
}

// The room it needs, terminator included, when buffer is too small; else the length.
DWORD GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR *filePart)
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

UINT GetSystemWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    UINT length = (UINT)world->windowsFolder.size();
    if (buffer == NULL || size <= length)
        return length + 1; // the room it needs, terminator included
    lstrcpynW(buffer, world->windowsFolder.c_str(), (int)size);
    return length;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
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

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
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

} // namespace model
