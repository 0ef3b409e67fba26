// drvremove.exe under Wine: which copies it takes out, what it leaves, what it prints and
// how it ends. Wine 8 deletes a copy only when the removal is forced (its plain
// SetupUninstallOEMInfW deletes nothing and succeeds), so the removals here are forced;
// Wine 10 deletes none (a known gap); what only Windows does is the unit tests' business.
#include "kit.h"

#include <string.h>

// The same package, a later version: the original name and the provider are test.inf's.
static const char kNextVersion[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                   "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                                   "Provider=drvplant suite\r\nDriverVer=01/07/2027,2.0.0.0\r\n";
#define USAGE "usage: drvremove <INF_File> [/every-version] [/force | /list]\r\n"

typedef struct {
    const char *name;
    Start install; // drvplant's run before, if any
    Start remove; // drvremove's
    const wchar_t *other; // a file put in the INF folder first, with otherBytes; it stays
    const char *otherBytes;
    const char *tail; // the output when no copy is removed
    DWORD status;
    int planted; // Wine prefers DLLs beside the exes, as Windows does
    const wchar_t *recorded; // the recorder is in x64\'s place and ends with this status
} Removal;

static void RunRemoval(const Removal *c)
{
    static RunOutcome run, again;
    wchar_t copy[MAX_PATH];
    int copied = 0;
    SetUpCase(c->planted ? kPlantedNames : NULL, L"native,builtin");
    ForgetInstalls();
    // A file under the INF's own name: Wine then publishes it as oemN.inf, as Windows does.
    WriteFileBytes(Beside(INF_FOLDER_PATH, L"test.inf"), kDecoyInfBytes);
    if (c->other != NULL)
        WriteFileBytes(Beside(INF_FOLDER_PATH, c->other), c->otherBytes);
    if (c->install.program != NULL) {
        RunStart(c->install, kOutputToFile, 0, &run);
        copied = FindPublishedCopy(copy);
        check(run.status == 0 && copied, "drvplant: status %lu, copy %s", run.status, copied ? "made" : "not made");
    }

    if (c->recorded != NULL)
        BeginRecording(c->recorded);
    RunStart(c->remove, kOutputToFile, 0, &run);
    if (c->recorded != NULL) {
        EndRecording(c->remove.commandLine, c->remove.directory);
        // On 32-bit Windows the x86 exe runs itself where the recorder would have.
        if (!RunsAsWow64()) {
            TearDownCase();
            return;
        }
    }
    char expected[512] = "", name[MAX_PATH];
    if (copied && WideCharToMultiByte(CP_ACP, 0, copy, -1, name, sizeof name, NULL, NULL))
        lstrcatA(lstrcatA(lstrcatA(expected, "Removed "), name), "\r\n");
    lstrcatA(expected, c->tail != NULL ? c->tail : "");
    int left = copied && GetFileAttributesW(Beside(INF_FOLDER_PATH, copy)) != INVALID_FILE_ATTRIBUTES;
    // Once taken out, there is nothing left to take.
    if (copied)
        RunStart(c->remove, kOutputToFile, 0, &again);
    enum Gap gap = copied ? kGapRemovingPublishedCopy : kNoGap;
    todo_gap(gap) check_bytes(expected, run.out.bytes, "output");
    todo_gap(gap) check(run.status == c->status, "status %lu, expected %lu", run.status, c->status);
    if (copied) {
        todo_gap(gap) check(!left, "%ls is still there", copy);
        todo_gap(gap) check_bytes("Nothing to remove.\r\n", again.out.bytes, "output of the second run");
        todo_gap(gap) check(again.status == 0, "second run: status %lu", again.status);
    }
    if (c->other != NULL)
        check(FileHasBytes(Beside(INF_FOLDER_PATH, c->other), c->otherBytes), "%ls was taken", c->other);
    if (c->install.program != NULL && wcsstr(c->install.commandLine, L"DRVPLANT_TEST") != NULL) {
        check(!DevicePresent("ROOT\\DRVPLANT_TEST"), "the device installed from the copy is still there");
        if (!DevicePresent("ROOT\\DRVPLANT_TEST"))
            CreatePresentDevice("ROOT\\DRVPLANT_TEST\0", 20);
    }
    TearDownCase();
    if (c->other != NULL)
        DeleteFileW(Beside(INF_FOLDER_PATH, c->other));
}

#define PLANTING(folder, arguments) .install = START(folder, L"drvplant.exe", arguments)
#define PRE_INSTALLING(folder) START(folder, L"drvplant.exe", L"test.inf ROOT\\DRVPLANT_ABSENT")
#define FORCING(folder) START(folder, L"drvplant.exe", L"test.inf ROOT\\DRVPLANT_TEST")
#define PRE_INSTALLED(folder) .install = PRE_INSTALLING(folder)
#define FORCED(folder) .install = FORCING(folder)
#define REMOVING(folder, arguments) .remove = START(folder, L"drvremove.exe", arguments)
#define BAD_USAGE .tail = USAGE, .status = 87
#define NOTHING .tail = "Nothing to remove.\r\n"

void RemovalCases(const wchar_t *drvplant)
{
    static const Removal cases[] = {
        {.name = "pre_installed_copy_removed", PRE_INSTALLED(SUITE), REMOVING(SUITE, L"test.inf /force")},
        {.name = "forced_install_removed_with_its_device", FORCED(SUITE),
         REMOVING(SUITE, L"test.inf /FORCE /every-version")},
        // Its INF is the current folder's, named in full.
        {.name = "bare_name_from_its_folder", PRE_INSTALLED(SUITE),
         .remove = {SUITE L"\\drvremove.exe", L"drvremove.exe test.inf /every-version /force", SUITE}},
        // It names no package: an empty copy is no copy of it.
        {.name = "an_empty_inf_file", REMOVING(SUITE, L"\"\" /force"), .other = L"oem77.inf",
         .otherBytes = "", BAD_USAGE},
        {.name = "nothing_to_remove", REMOVING(SUITE, L"test.inf /force"), NOTHING},
        {.name = "another_version_left_alone", PRE_INSTALLED(SUITE),
         REMOVING(SUITE, L"test.inf /force /every-version"), .other = L"oem90.inf", .otherBytes = kNextVersion},
        {.name = "same_bytes_under_another_name_left_alone", REMOVING(SUITE, L"test.inf /force"),
         .other = L"suite-copy.inf", .otherBytes = kInfBytes, NOTHING},
        {.name = "usage_without_inf", REMOVING(SUITE, L""), BAD_USAGE},
        {.name = "usage_unknown_switch", REMOVING(SUITE, L"test.inf /quiet"), BAD_USAGE},
        {.name = "usage_switch_twice", REMOVING(SUITE, L"test.inf /force /Force"), BAD_USAGE},
        {.name = "inf_missing", REMOVING(SUITE, L"missing.inf /force"), .tail = "  File not found.\r\n" USAGE,
         .status = 2},
        {.name = "cyrillic_folder", PRE_INSTALLED(CYRILLIC), REMOVING(CYRILLIC, L"test.inf /force")},
        {.name = "planted_dlls_never_loaded", FORCED(PLANTED), REMOVING(PLANTED, L"test.inf /force"),
         .planted = 1},
    };
    PrepareSuite(drvplant);
    for (size_t i = 0; i < COUNT(cases); i++)
        in_case(cases[i].name) RunRemoval(&cases[i]);
}

// drvremove as setups call it, from the release archive's x86\: on 64-bit Windows the x64
// exe beside it does the run; on 32-bit Windows (as winxp) and without x64\ it does.
#define ARCHIVE_PRE_INSTALLED(tree) PLANTING(tree L"\\x86", L"..\\test.inf ROOT\\DRVPLANT_ABSENT")

void HandoffRemovalCases(const wchar_t *drvplant)
{
    static const Removal cases[] = {
        {.name = "removal_by_full_path", ARCHIVE_PRE_INSTALLED(ARCHIVE),
         REMOVING(ARCHIVE L"\\x86", L"..\\test.inf /force")},
        {.name = "removal_by_bare_name_from_its_folder", ARCHIVE_PRE_INSTALLED(ARCHIVE),
         .remove = {ARCHIVE L"\\x86\\drvremove.exe", L"drvremove ..\\test.inf /force", ARCHIVE L"\\x86"}},
        {.name = "removal_usage_error", REMOVING(ARCHIVE L"\\x86", L"..\\test.inf /quiet"), BAD_USAGE},
        {.name = "removal_without_x64_runs_itself", ARCHIVE_PRE_INSTALLED(ALONE),
         REMOVING(ALONE L"\\x86", L"..\\test.inf /force")},
        {.name = "removal_recorder_status_3010_comes_back", REMOVING(RECORDED L"\\x86", L"..\\test.inf /force"),
         .recorded = L"3010", .tail = "recorder ran\r\n", .status = 3010},
    };
    PrepareSuite(drvplant);
    PrepareArchive(drvplant);
    for (size_t i = 0; i < COUNT(cases); i++)
        in_case(cases[i].name) RunRemoval(&cases[i]);
}

// drvremove /list: what it names before and after drvplant's runs and after a removal.
// The next version is the suite's INF with a line more, pre-installed from another folder
// under the same name, as Windows records it; the other copies are another INF's.
typedef struct {
    const char *name;
    Start install[2]; // drvplant's runs, in order, where there are any
    const wchar_t *arguments; // drvremove's for the listing
    int nextVersion; // the listing names the next version's copies too
    int others; // copies of another INF placed first
    int removedFirst; // a forced removal of every version runs before the listing
} Listing;

static const wchar_t kNextVersionFolder[] = SUITE L"\\next";
static char nextVersion[4096];

// "Found oemN.inf" for each published copy of the suite's INF (and of its next version),
// in the order the INF folder lists them. With remove, those copies are deleted instead.
static void PublishedCopies(int withNextVersion, int remove, Text *listing)
{
    WIN32_FIND_DATAW found;
    char name[MAX_PATH];
    TextClear(listing);
    HANDLE search = FindFirstFileW(INF_FOLDER_PATH L"\\oem*.inf", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const wchar_t *path = Beside(INF_FOLDER_PATH, found.cFileName);
        if (!FileHasBytes(path, kInfBytes) && !(withNextVersion && FileHasBytes(path, nextVersion)))
            continue;
        if (remove)
            DeleteFileW(path);
        else if (WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, NULL, NULL)) {
            TextAppend(listing, "Found "), TextAppend(listing, name), TextAppend(listing, "\r\n");
            AppendRootDevicesOf(name, listing);
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// oem5000.inf, oem5001.inf, ...: the other INF's copies.
static const wchar_t *OtherCopy(int i)
{
    static wchar_t name[32];
    _itow(5000 + i, wcscpy(name, L"oem") + 3, 10);
    return Beside(INF_FOLDER_PATH, wcscat(name, L".inf"));
}

static void RunListing(const Listing *c)
{
    static RunOutcome run;
    static Text expected;
    static wchar_t commandLine[256];
    Start list = START(SUITE, L"drvremove.exe", L"");
    list.commandLine = wcscat(wcscpy(commandLine, list.commandLine), c->arguments);
    SetUpCase(NULL, L"native,builtin");
    ForgetInstalls();
    PublishedCopies(1, 1, &expected);
    // A file under the INF's own name: Wine then publishes it as oemN.inf, as Windows does.
    WriteFileBytes(Beside(INF_FOLDER_PATH, L"test.inf"), kDecoyInfBytes);
    for (int i = 0; i < c->others; i++)
        WriteFileBytes(OtherCopy(i), kDecoyInfBytes);
    // Nothing of the suite's is installed yet: nothing is named.
    RunStart(list, kOutputToFile, 0, &run);
    check_bytes("", run.out.bytes, "output before installing");
    check(run.status == 0, "status %lu before installing", run.status);
    for (size_t i = 0; i < COUNT(c->install) && c->install[i].program != NULL; i++) {
        RunStart(c->install[i], kOutputToFile, 0, &run);
        check(run.status == 0, "drvplant's run %u: status %lu", (unsigned)i + 1, run.status);
    }
    if (c->removedFirst)
        RunStart((Start)START(SUITE, L"drvremove.exe", L"test.inf /force /every-version"), kOutputToFile, 0, &run);
    PublishedCopies(c->nextVersion, 0, &expected);
    if (c->removedFirst)
        todo_gap(kGapRemovingPublishedCopy) check(run.status == 0 && expected.length == 0,
                                                  "the removal: status %lu, left %s", run.status, expected.bytes);
    else
        check(expected.length > 0, "drvplant published no copy");
    RunStart(list, kOutputToFile, 0, &run);
    todo_gap(c->nextVersion ? kGapOriginalInfName : kNoGap) check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == 0, "status %lu", run.status);
    ForgetInstalls();
    PublishedCopies(1, 1, &expected);
    for (int i = 0; i < c->others; i++)
        DeleteFileW(OtherCopy(i));
    if (!DevicePresent("ROOT\\DRVPLANT_TEST"))
        CreatePresentDevice("ROOT\\DRVPLANT_TEST\0", 20);
    TearDownCase();
}

#define NEXT_VERSION START(SUITE, L"drvplant.exe", L"next\\test.inf ROOT\\DRVPLANT_ABSENT")

void ListingCases(const wchar_t *drvplant)
{
    static const Listing cases[] = {
        {.name = "list_before_and_after_a_pre_installation", .install = {PRE_INSTALLING(SUITE)},
         .arguments = L"test.inf /list"},
        {.name = "list_before_and_after_a_forced_install", .install = {FORCING(SUITE)},
         .arguments = L"test.inf /LIST"},
        {.name = "list_every_version_names_both", .install = {PRE_INSTALLING(SUITE), NEXT_VERSION},
         .arguments = L"test.inf /list /every-version", .nextVersion = 1},
        {.name = "list_without_every_version_names_the_same_bytes",
         .install = {PRE_INSTALLING(SUITE), NEXT_VERSION}, .arguments = L"test.inf /list"},
        {.name = "list_among_300_other_copies", .install = {PRE_INSTALLING(SUITE)},
         .arguments = L"test.inf /list", .others = 300},
        {.name = "list_after_a_removal_names_nothing", .install = {FORCING(SUITE)},
         .arguments = L"test.inf /list", .removedFirst = 1},
    };
    PrepareSuite(drvplant);
    lstrcatA(lstrcpyA(nextVersion, kInfBytes), "; the next version\r\n");
    CreateDirectoryW(kNextVersionFolder, NULL);
    WriteFileBytes(Beside(kNextVersionFolder, L"test.inf"), nextVersion);
    for (size_t i = 0; i < COUNT(cases); i++)
        in_case(cases[i].name) RunListing(&cases[i]);
}
