// SETUPAPI's INF and file operations: publishing copies among the OEM INFs, what Windows
// recorded of them, reading [Version], and taking copies out.
#include "rooms.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

std::u16string InfFolder()
{
    return world->windowsFolder + u"\\inf\\";
}

// Files leave through here, so that what was deleted can be judged.
void Delete(const std::u16string &path)
{
    world->deleted[path] = world->files[path];
    world->files.erase(path);
}

// Windows asks whether to trust a publisher it does not know yet (tap-windows6#26 shows
// the question); where it may not ask (the SDK's INSTALLFLAG_NONINTERACTIVE, and
// SetupSetNonInteractiveMode) the installation fails instead. A person who sees it answers.
BOOL PublisherTrusted(bool mayAsk)
{
    if (!world->publisherUntrusted)
        return TRUE;
    if (!mayAsk)
        return Fail(ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED);
    world->prompts.push_back("Would you like to install this device software?");
    return TRUE;
}

// Windows reuses a published copy of the same bytes, else names a new one oemN.inf.
std::u16string Publish(const std::u16string &source)
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

static std::string Trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
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
        if (!SameFolded(Widened(current), Widened(section)) || equals == std::string::npos ||
            !SameFolded(Widened(Trimmed(line.substr(0, equals))), Widened(key)))
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

static bool CopyInUse(const std::u16string &name)
{
    return std::any_of(world->devices.begin(), world->devices.end(),
                       [&](const Device &device) { return !device.removed && SameFolded(device.infPath, name); });
}

namespace model {

BOOL SetupSetNonInteractiveMode(BOOL nonInteractive)
{
    BOOL was = world->nonInteractive;
    world->nonInteractive = nonInteractive != FALSE;
    return was;
}

BOOL SetupCopyOEMInfW(LPCWSTR source, LPCWSTR, DWORD mediaType, DWORD copyStyle,
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

// The information holds the INF's path, so that the queries below can find it.
BOOL SetupGetInfInformationW(LPCVOID inf, DWORD search, PSP_INF_INFORMATION information,
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
BOOL SetupQueryInfOriginalFileInformationW(PSP_INF_INFORMATION information, UINT index,
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

// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx} as a GUID; false for any other text.
static bool ParsedGuid(const std::string &text, GUID *guid)
{
    unsigned parts[11];
    int length = 0;
    if (text.size() != 38 ||
        sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &parts[0], &parts[1], &parts[2], &parts[3],
               &parts[4], &parts[5], &parts[6], &parts[7], &parts[8], &parts[9], &parts[10], &length) != 11 ||
        length != 38)
        return false;
    guid->Data1 = parts[0];
    guid->Data2 = (uint16_t)parts[1];
    guid->Data3 = (uint16_t)parts[2];
    for (int i = 0; i < 8; i++)
        guid->Data4[i] = (uint8_t)parts[3 + i];
    return true;
}

// The SDK's SetupDiGetINFClass page: [Version]'s ClassGuid (GUID_NULL without one) and Class;
// with a GUID but no name, the installed class's name, which this world has none of: empty.
// The name's size counts its terminator, and is at most MAX_CLASS_NAME_LEN.
BOOL SetupDiGetINFClassW(LPCWSTR inf, GUID *classGuid, LPWSTR className, DWORD size, PDWORD requiredSize)
{
    if (inf == NULL || classGuid == NULL || className == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    std::u16string path(inf);
    if (!IsFullPath(path))
        return Unmodelled("SetupDiGetINFClassW of an INF sought along DevicePath"), FALSE;
    if (world->unreadable.count(path) != 0)
        return Fail(ERROR_ACCESS_DENIED);
    if (world->files.count(path) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    std::string name, guidText;
    *classGuid = GUID{};
    if (InfValue(world->files[path], "Version", "ClassGuid", &guidText) && !ParsedGuid(guidText, classGuid))
        return Fail(ERROR_INVALID_DATA);
    InfValue(world->files[path], "Version", "Class", &name);
    if (name.size() >= MAX_CLASS_NAME_LEN)
        return Fail(ERROR_INVALID_DATA);
    if (requiredSize)
        *requiredSize = (DWORD)name.size() + 1;
    if (size < name.size() + 1)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    lstrcpynW(className, Widened(name).c_str(), (int)size);
    return Succeed();
}

HINF SetupOpenInfFileW(LPCWSTR name, LPCWSTR infClass, DWORD style, PUINT)
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

BOOL SetupGetLineTextW(PINFCONTEXT context, HINF inf, LPCWSTR section, LPCWSTR key, LPWSTR buffer,
                       DWORD size, PDWORD requiredSize)
{
    if (context != NULL)
        return Unmodelled("SetupGetLineTextW from a line context"), FALSE;
    auto open = world->openInfs.find(inf);
    if (open == world->openInfs.end())
        return Fail(ERROR_INVALID_HANDLE);
    const std::u16string sectionName(section), keyName(key);
    std::string value;
    if (!InfValue(world->files[open->second], std::string(sectionName.begin(), sectionName.end()),
                  std::string(keyName.begin(), keyName.end()), &value))
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

void SetupCloseInfFile(HINF inf)
{
    world->openInfs.erase(inf);
}

// Refused while a device still uses the copy, unless forced.
BOOL SetupUninstallOEMInfW(LPCWSTR name, DWORD flags, PVOID reserved)
{
    if ((flags & ~SUOI_FORCEDELETE) != 0) // the SDK's one flag
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

} // namespace model
