#include "remover/remover.h"

#include <string.h>

static const char kUsageLine[] = "usage: drvremove <INF_File> [/every-version] [/force | /list]\n";
static const WCHAR kInfSubfolder[] = WIDE("\\inf\\");
static const char kCopiesLabel[] = "oem*.inf";

// The switches after INF_File: a bit each, in the order of kSwitchNames.
enum { kEveryVersion = 1, kForce = 2, kList = 4 };
static const WCHAR *const kSwitchNames[] = {WIDE("/every-version"), WIDE("/force"), WIDE("/list")};

// What the copies are compared with.
struct Package {
    const WCHAR *fileName;
    BYTE *bytes;
    DWORD size;
    BOOL identified; // identity holds INF_File's; only then are other versions sought
    Identity identity;
};

// Everything after INF_File: each switch once, in any case; a listing forces nothing, so
// the two together are no valid run (and no run has more than two switches). An empty
// INF_File names no package, and would match every empty copy.
static BOOL ReadSwitches(int count, WCHAR **wideArgs, DWORD *switches)
{
    BOOL valid = count >= 2 && count <= 4 && wideArgs[1][0] != 0;
    *switches = 0;
    for (int i = 2; valid && i < count; i++) {
        DWORD bit = 0;
        for (int named = 0; named < 3; named++)
            if (SameIgnoringCase(wideArgs[i], kSwitchNames[named]))
                bit = 1u << named;
        valid = bit != 0 && (*switches & bit) == 0;
        *switches |= bit;
    }
    return valid && (*switches & (kForce | kList)) != (kForce | kList);
}

BOOL IsCopyName(const WCHAR *name)
{
    int digits = 0;
    if (lstrlenW(name) < 8 || (name[0] | 0x20) != 'o' || (name[1] | 0x20) != 'e' ||
        (name[2] | 0x20) != 'm')
        return FALSE;
    while (name[3 + digits] >= '0' && name[3 + digits] <= '9')
        digits++;
    return digits >= 1 && digits <= 8 && SameIgnoringCase(name + 3 + digits, WIDE(".inf"));
}

// A copy's name as a report's label: copy names are ASCII.
static void NameAsLabel(const WCHAR *name, char *label)
{
    int at = 0;
    for (; name[at] != 0 && at < kCopyNameSize - 1; at++)
        label[at] = (char)name[at];
    label[at] = '\0';
}

// Whether the copy at path is one of the package's: the same bytes, or with every
// version, the same original name and identity. FALSE, with the reason in the last
// error, when the copy could not be read to tell.
static BOOL IsPackageCopy(const Package *package, const WCHAR *path, const WIN32_FIND_DATAW *found,
                          BOOL *ours)
{
    BOOL read = TRUE;
    BYTE *bytes = NULL;
    WCHAR original[MAX_PATH];
    Identity identity;
    *ours = FALSE;
    if (found->nFileSizeHigh == 0 && found->nFileSizeLow == package->size) {
        read = ReadWholeFile(path, package->size, &bytes);
        *ours = read && memcmp(bytes, package->bytes, package->size) == 0;
        LocalFree(bytes);
    }
    // Another version is told by what Windows recorded of it; what cannot be read is not
    // known to be ours.
    if (read && !*ours && package->identified)
        *ours = ReadOriginalName(path, original) && SameIgnoringCase(original, package->fileName) &&
                ReadIdentity(path, &identity) &&
                SameIgnoringCase(identity.provider, package->identity.provider) &&
                SameIgnoringCase(identity.classGuid, package->identity.classGuid);
    return read;
}

// How the run has gone so far.
struct Tally {
    DWORD firstFailure; // 0 while nothing failed
    BOOL restart;
};

// A failure that left no code still fails the run.
static void Failed(Tally *tally, const char *label)
{
    if (tally->firstFailure == 0)
        tally->firstFailure = GetLastError() != 0 ? GetLastError() : ERROR_INVALID_FUNCTION;
    ReportFailure(label);
}

// Appends name to the list of count names, each kCopyNameSize units; the list is
// replaced by a larger one. FALSE when memory runs out.
static BOOL Remember(WCHAR **list, int count, const WCHAR *name)
{
    WCHAR *larger = (WCHAR *)LocalAlloc(LPTR, (SIZE_T)(count + 1) * kCopyNameSize * sizeof(WCHAR));
    if (larger == NULL)
        return FALSE;
    for (int at = 0; at < count * kCopyNameSize; at++)
        larger[at] = (*list)[at];
    lstrcpynW(larger + count * kCopyNameSize, name, kCopyNameSize);
    LocalFree(*list);
    *list = larger;
    return TRUE;
}

// The names of the package's copies in folder. The listing is finished before anything
// is removed, so that removing cannot disturb it. A frame of its own: one frame over a
// page would need the stack probe, which costs a routine without unwind data.
__attribute__((noinline)) static int FindCopies(const Package *package, const WCHAR *folder,
                                                WCHAR **list, Tally *tally)
{
    WCHAR path[MAX_PATH];
    WIN32_FIND_DATAW found;
    char label[kCopyNameSize];
    int count = 0;
    BOOL ours;
    lstrcpynW(path, folder, MAX_PATH);
    lstrcatW(path, WIDE("oem*.inf"));
    HANDLE search = FindFirstFileW(path, &found);
    BOOL more = search != INVALID_HANDLE_VALUE;
    if (!more && GetLastError() != ERROR_FILE_NOT_FOUND)
        Failed(tally, kCopiesLabel);
    for (; more; more = FindNextFileW(search, &found)) {
        if (!IsCopyName(found.cFileName))
            continue;
        lstrcpynW(path, folder, MAX_PATH);
        lstrcatW(path, found.cFileName);
        NameAsLabel(found.cFileName, label);
        if (!IsPackageCopy(package, path, &found, &ours))
            Failed(tally, label);
        else if (ours && Remember(list, count, found.cFileName))
            count++;
        else if (ours)
            Failed(tally, label);
    }
    if (search != INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_NO_MORE_FILES)
            Failed(tally, kCopiesLabel);
        FindClose(search);
    }
    return count;
}

// The folder that holds the copies, with its backslash: the system's Windows folder,
// which is the same for every session.
static BOOL CopiesFolder(WCHAR *folder)
{
    UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0)
        return FALSE;
    // Room for the folder and any copy's name after it: the search pattern is shorter.
    if (length + lstrlenW(kInfSubfolder) + kCopyNameSize > MAX_PATH) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lstrcatW(folder, kInfSubfolder);
    return TRUE;
}

// Each copy found is taken out, or with /list only named.
static void RemoveCopies(const Package *package, DWORD switches, Tally *tally)
{
    WCHAR folder[MAX_PATH];
    WCHAR *list = NULL;
    char label[kCopyNameSize];
    if (!CopiesFolder(folder)) {
        Failed(tally, "GetSystemWindowsDirectory");
        return;
    }
    int count = FindCopies(package, folder, &list, tally);
    for (int i = 0; i < count; i++) {
        const WCHAR *name = list + i * kCopyNameSize;
        NameAsLabel(name, label);
        DWORD deviceFailure = ERROR_SUCCESS;
        BOOL passedOver, listing = (switches & kList) != 0;
        // A listing names the copy, then its root devices, which a removal takes with it.
        if (listing)
            PrintKeepingLastError("Found %s\n", label);
        BOOL removed = listing ? TakeDevicesOf(name, kNameRootDevices, FALSE, &tally->restart, &passedOver, &deviceFailure)
                               : RemoveCopy(folder, name, (switches & kForce) != 0, &tally->restart, &deviceFailure);
        DWORD code = GetLastError();
        if (deviceFailure != ERROR_SUCCESS) {
            SetLastError(deviceFailure);
            Failed(tally, label);
            SetLastError(code);
        }
        if (!removed)
            Failed(tally, label);
        else if (!listing)
            PrintKeepingLastError("Removed %s\n", label);
    }
    // A listing says nothing when it found nothing: its output alone tells installed.
    if (count == 0 && tally->firstFailure == 0 && !(switches & kList))
        PrintKeepingLastError("Nothing to remove.\n");
    LocalFree(list);
}

// label names INF_File in its reports, as the caller wrote it.
static int RemovePackage(const WCHAR *infPath, const WIN32_FIND_DATAW *found, const char *label,
                         DWORD switches)
{
    Package package; // identified and its identity are set below, before they are read
    package.fileName = infPath;
    package.bytes = NULL;
    package.size = found->nFileSizeLow;
    Tally tally = {0, FALSE};
    for (const WCHAR *at = infPath; *at != 0; at++)
        if (*at == '\\')
            package.fileName = at + 1;
    if (found->nFileSizeHigh != 0)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (found->nFileSizeHigh != 0 || !ReadWholeFile(infPath, package.size, &package.bytes)) {
        Failed(&tally, label);
        return (int)tally.firstFailure;
    }
    package.identified = (switches & kEveryVersion) && ReadIdentity(infPath, &package.identity);
    // Without its identity no other version can be told; the exact copies still can.
    if ((switches & kEveryVersion) && !package.identified)
        Failed(&tally, label);
    RemoveCopies(&package, switches, &tally);
    LocalFree(package.bytes);
    if (tally.restart)
        PrintKeepingLastError("(Reboot Required)\n");
    return tally.firstFailure != 0 ? (int)tally.firstFailure
           : tally.restart        ? kRemovalRestartNeeded
                                    : kRemovalDone;
}

int RemoveMain(int count, char **args, WCHAR **wideArgs)
{
    DWORD switches;
    WCHAR infPath[kInfPathSize];
    WIN32_FIND_DATAW found;
    int status = kRemovalUsage;
    HANDLE search = INVALID_HANDLE_VALUE;
    if (HandToNativeExe(ERROR_INVALID_FUNCTION, &status))
        return status;
    // Nobody may be there to answer what SetupAPI would ask: it must fail instead.
    SetupSetNonInteractiveMode(TRUE);
    if (!ReadSwitches(count, wideArgs, &switches) || !ComposeInfPath(wideArgs[0], wideArgs[1], infPath)) {
        PrintKeepingLastError(kUsageLine);
    } else if ((search = FindFirstFileW(infPath, &found)) == INVALID_HANDLE_VALUE) {
        PrintKeepingLastError("  File not found.\n%s", kUsageLine);
        status = kRemovalInfNotFound;
    } else {
        FindClose(search);
        status = RemovePackage(infPath, &found, args[1], switches);
    }
    return status;
}
