/* drvremove.exe under Wine: which copies it takes out, what it leaves, what it prints and
 * how it ends. Wine 8 deletes a copy only when the removal is forced (its plain
 * SetupUninstallOEMInfW deletes nothing and succeeds), so the removals here are forced;
 * Wine 10 deletes none (a known gap); what only Windows does is the unit tests' business. */
#include "suite.h"

#include <string.h>

static const wchar_t kInfFolder[] = L"C:\\windows\\inf\\";
/* The same package, a later version: the original name and the provider are test.inf's. */
static const char kNextVersion[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                   "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                                   "Provider=drvplant suite\r\nDriverVer=01/07/2027,2.0.0.0\r\n";
static const char kUsage[] = "usage: drvremove <INF_File> [/every-version] [/force]\r\n";

typedef struct {
    const char *name;
    const wchar_t *folder;    /* where drvplant, drvremove and test.inf sit: C:\suite */
    const wchar_t *install;   /* drvplant's arguments for the run before, if any */
    const wchar_t *arguments; /* drvremove's */
    const wchar_t *other;     /* a file put in the INF folder first, with otherBytes; it stays */
    const char *otherBytes;
    const char *tail;         /* the output when no copy is removed */
    DWORD status;
    int planted;              /* Wine prefers DLLs beside the exes, as Windows does */
    int bare;                 /* drvremove started by its bare name from its folder */
} Removal;

/* The published copy of test.inf (its name, oemN.inf), or 0. */
static int FindCopy(wchar_t *name)
{
    WIN32_FIND_DATAW found;
    wchar_t path[MAX_PATH];
    int seen = 0;
    HANDLE search = FindFirstFileW(L"C:\\windows\\inf\\oem*.inf", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && !seen; more = FindNextFileW(search, &found)) {
        seen = FileHasBytes(wcscat(wcscpy(path, kInfFolder), found.cFileName), kInf, strlen(kInf));
        if (seen)
            wcscpy(name, found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return seen;
}

static int TestDeviceIsPresent(const char *id, void *present)
{
    *(int *)present = *(int *)present || strcmp(id, "ROOT\\DRVPLANT_TEST") == 0;
    return 1;
}

static int DevicePresent(void)
{
    int present = 0;
    ForEachPresentHardwareId(TestDeviceIsPresent, &present);
    return present;
}

static void Run(const wchar_t *folder, const wchar_t *exe, const wchar_t *arguments, int bare, Outcome *run)
{
    wchar_t program[MAX_PATH], line[1024];
    wcscat(wcscat(wcscpy(program, folder), L"\\"), exe);
    if (bare)
        wcscat(wcscat(wcscpy(line, exe), L" "), arguments);
    else
        wcscat(wcscat(wcscat(wcscpy(line, L"\""), program), L"\" "), arguments);
    RunExact(program, line, folder, kOutputToFile, NULL, run);
}

static void RunRemoval(const Removal *c)
{
    static Outcome run, again;
    static Text expected, marks;
    wchar_t copy[MAX_PATH], other[MAX_PATH];
    const wchar_t *folder = c->folder != NULL ? c->folder : L"C:\\suite";
    int copied = 0, forced = c->install != NULL && wcsstr(c->install, L"DRVPLANT_TEST") != NULL;
    TakeMarks(&marks);
    ForgetInstalls();
    while (FindCopy(copy))
        DeleteFileW(wcscat(wcscpy(other, kInfFolder), copy));
    /* A file under the INF's own name: Wine then publishes it as oemN.inf, as Windows does. */
    WriteFileBytes(L"C:\\windows\\inf\\test.inf", kDecoyInf, strlen(kDecoyInf));
    if (c->other != NULL)
        WriteFileBytes(wcscat(wcscpy(other, kInfFolder), c->other), c->otherBytes, strlen(c->otherBytes));
    if (c->planted)
        SetLoadOrder(kPlantedNames, L"native,builtin");
    if (c->install != NULL) {
        Run(folder, L"drvplant.exe", c->install, 0, &run);
        copied = FindCopy(copy);
        check(run.status == 0 && copied, "drvplant: status %lu, copy %s", run.status, copied ? "made" : "not made");
    }

    Run(folder, L"drvremove.exe", c->arguments, c->bare, &run);
    TextClear(&expected);
    if (copied) {
        char name[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, copy, -1, name, sizeof name, NULL, NULL);
        TextAppend(&expected, "Removed ");
        TextAppend(&expected, name);
        TextAppend(&expected, "\r\n");
    }
    TextAppend(&expected, c->tail != NULL ? c->tail : "");
    int left = copied && GetFileAttributesW(wcscat(wcscpy(other, kInfFolder), copy)) != INVALID_FILE_ATTRIBUTES;
    /* Once taken out, there is nothing left to take. */
    if (copied)
        Run(folder, L"drvremove.exe", c->arguments, c->bare, &again);
    BeginGap(copied ? kGapRemovingPublishedCopy : kNoGap);
    check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == c->status, "status %lu, expected %lu", run.status, c->status);
    if (copied) {
        check(!left, "%ls is still there", copy);
        check_bytes("Nothing to remove.\r\n", again.out.bytes, "output of the second run");
        check(again.status == 0, "second run: status %lu", again.status);
    }
    EndGap();
    if (c->other != NULL)
        check(FileHasBytes(wcscat(wcscpy(other, kInfFolder), c->other), c->otherBytes, strlen(c->otherBytes)),
              "%ls was taken", c->other);
    if (forced) {
        check(!DevicePresent(), "the device installed from the copy is still there");
        if (!DevicePresent())
            CreatePresentDevice("ROOT\\DRVPLANT_TEST\0", 20);
    }
    if (c->planted)
        ForgetLoadOrder();
    TakeMarks(&marks);
    check_bytes("", marks.bytes, "planted DLLs that were loaded");
    if (c->other != NULL)
        DeleteFileW(wcscat(wcscpy(other, kInfFolder), c->other));
    /* The English group expects drvplant's copy under its own name, made afresh. */
    while (FindCopy(copy))
        DeleteFileW(wcscat(wcscpy(other, kInfFolder), copy));
    DeleteFileW(L"C:\\windows\\inf\\test.inf");
}

#define PRE_INSTALL L"test.inf ROOT\\DRVPLANT_ABSENT"
#define FORCE L"test.inf ROOT\\DRVPLANT_TEST"

void RemovalCases(void)
{
    static const Removal cases[] = {
        {.name = "pre_installed_copy_removed", .install = PRE_INSTALL, .arguments = L"test.inf /force"},
        {.name = "forced_install_removed_with_its_device", .install = FORCE,
         .arguments = L"test.inf /FORCE /every-version"},
        /* Its INF is the current folder's, named in full. */
        {.name = "bare_name_from_its_folder", .install = PRE_INSTALL,
         .arguments = L"test.inf /every-version /force", .bare = 1},
        /* It names no package: an empty copy is no copy of it. */
        {.name = "an_empty_inf_file", .arguments = L"\"\" /force", .other = L"oem77.inf",
         .otherBytes = "", .tail = kUsage, .status = 87},
        {.name = "nothing_to_remove", .arguments = L"test.inf /force", .tail = "Nothing to remove.\r\n"},
        {.name = "another_version_left_alone", .install = PRE_INSTALL,
         .arguments = L"test.inf /force /every-version", .other = L"oem90.inf", .otherBytes = kNextVersion},
        {.name = "same_bytes_under_another_name_left_alone", .arguments = L"test.inf /force",
         .other = L"suite-copy.inf", .otherBytes = kInf, .tail = "Nothing to remove.\r\n"},
        {.name = "usage_without_inf", .arguments = L"", .tail = kUsage, .status = 87},
        {.name = "usage_unknown_switch", .arguments = L"test.inf /quiet", .tail = kUsage, .status = 87},
        {.name = "usage_switch_twice", .arguments = L"test.inf /force /Force", .tail = kUsage, .status = 87},
        {.name = "inf_missing", .arguments = L"missing.inf /force",
         .tail = "  File not found.\r\nusage: drvremove <INF_File> [/every-version] [/force]\r\n", .status = 2},
        {.name = "cyrillic_folder", .folder = CYRILLIC, .install = PRE_INSTALL, .arguments = L"test.inf /force"},
        {.name = "planted_dlls_never_loaded", .folder = PLANTED, .install = FORCE,
         .arguments = L"test.inf /force", .planted = 1},
    };
    for (size_t i = 0; i < COUNT(cases); i++)
        if (BeginCase(cases[i].name)) {
            RunRemoval(&cases[i]);
            EndCase();
        }
}
