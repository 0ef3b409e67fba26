/* Drives the real drvplant.exe under Wine: exact command lines in, standard output byte
 * for byte, exit status and what landed out. Usage: suite <drvplant.exe> <group> [case],
 * where the group matches the locale Wine was started in (english, chinese, japanese) and
 * case, when given, runs only the cases whose name contains it. */
#include "kit.h"

#include <string.h>
#include <wchar.h>

static const char kUsage[] = "usage: drvplant <INF_File> <Hardware_ID>\r\n";
static const char kNotFound[] = "  File not found.\r\nusage: drvplant <INF_File> <Hardware_ID>\r\n";
static const char kInstalled[] = "Driver Installed successfully.\r\n";
static const char kWalkedAll[] =
    "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"
    "Driver Installed successfully.\r\n";
static const char kWalkedAllThenBox[] = "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n";
static const char kWalkedAllThenLine[] = "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"
                                         "Error-Install Driver Failed!\r\n";

/* key: the registry key below HKLM\Software that installing it writes. */
#define SUITE_INF(key)                                                 \
    "[Version]\r\n"                                                    \
    "Signature=\"$Windows NT$\"\r\n"                                   \
    "Class=System\r\n"                                                 \
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"             \
    "Provider=drvplant suite\r\n"                                      \
    "DriverVer=12/07/2026,1.0.0.0\r\n"                                 \
    "\r\n"                                                             \
    "[Manufacturer]\r\n"                                               \
    "drvplant suite=Models\r\n"                                        \
    "\r\n"                                                             \
    "[Models]\r\n"                                                     \
    "suite device=Install,ROOT\\DRVPLANT_TEST\r\n"                     \
    "suite device=Install,ROOT\\DRVPLANT_SECOND\r\n"                   \
    "\r\n"                                                             \
    "[Install]\r\n"                                                    \
    "AddReg=Install.AddReg\r\n"                                        \
    "\r\n"                                                             \
    "[Install.Services]\r\n"                                           \
    "AddService=,2\r\n"                                                \
    "\r\n"                                                             \
    "[Install.AddReg]\r\n"                                             \
    "HKLM,Software\\" key ",Installed,,\"yes\"\r\n"
static const char kInf[] = SUITE_INF("drvplant-suite");
/* The same INF with another key: one that somebody else placed. */
static const char kDecoyInf[] = SUITE_INF("drvplant-decoy");
static const char kBadInf[] = "\x01\x02 not an INF \xff\r\n";

static const char kInstallKey[] = "Software\\drvplant-suite";
static const wchar_t kOemCopy[] = L"C:\\windows\\inf\\test.inf";

enum Landed { kNothing, kForced, kPreinstalled, kBox, kNotChecked };

typedef struct {
    const char *name;
    const wchar_t *program;     /* the file started */
    const wchar_t *commandLine; /* exact, element 0 included */
    const wchar_t *directory;
    const char *searchId;       /* when set, the device walk's lines come first */
    const char *tail;           /* the lines after the walk */
    DWORD status;
    enum Landed landed;
    enum StandardOutput output;
} Case;

#define DRVPLANT L"C:\\suite\\drvplant.exe"
#define ARCH_DRVPLANT L"C:\\suite\\x64\\drvplant.exe"
#define COUNT(array) (sizeof(array) / sizeof((array)[0]))

typedef struct {
    const char *searchId;
    Text *lines;
} Walk;

static int AddWalkLine(const char *id, void *context)
{
    Walk *walk = (Walk *)context;
    char upper[1024];
    lstrcpynA(upper, id, sizeof upper);
    CharUpperA(upper);
    TextAppend(walk->lines, "Compare device ID: [");
    TextAppend(walk->lines, id);
    TextAppend(walk->lines, "]\r\n");
    if (strcmp(upper, walk->searchId) != 0)
        return 1;
    TextAppend(walk->lines, "Found! [");
    TextAppend(walk->lines, upper);
    TextAppend(walk->lines, "]\r\n");
    return 0;
}

/* What the walk prints for searchId on this prefix's devices. */
static void AppendWalkLines(Text *lines, const char *searchId)
{
    Walk walk = {searchId, lines};
    TextAppend(lines, "Search for Device ID: [");
    TextAppend(lines, searchId);
    TextAppend(lines, "]\r\n");
    ForEachPresentHardwareId(AddWalkLine, &walk);
}

static int InstallKeyExists(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

static void ForgetInstalls(void)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
    DeleteFileW(kOemCopy);
}

/* Files that planted DLLs left in C:\marks when they were loaded. */
static void ReadMarks(Text *marks)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\marks\\*.dll", &found);
    TextClear(marks);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        TextAppend(marks, found.cFileName);
        TextAppend(marks, " ");
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

/* desktop NULL: the suite's own, which a person would see. */
static void RunCase(const Case *c, const wchar_t *desktop)
{
    static Text expected, marks;
    static Outcome run;
    ForgetInstalls();
    TextClear(&expected);
    if (c->searchId != NULL)
        AppendWalkLines(&expected, c->searchId);
    TextAppend(&expected, c->tail);
    RunExact(c->program, c->commandLine, c->directory, c->output, desktop, &run);
    if (c->output == kOutputToFile)
        check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == c->status, "status %lu, expected %lu", run.status, c->status);
    check(run.boxShown == (c->landed == kBox), "box shown: %d", run.boxShown);
    if (c->landed == kBox) {
        check_bytes("Error-Install Driver Failed!", run.boxText, "box text");
        check_bytes(expected.bytes, run.outAtBox.bytes, "output that reached the file before the box");
    }
    if (desktop != NULL)
        check(run.milliseconds < 10000, "took %lu ms", run.milliseconds);
    ReadMarks(&marks);
    check_bytes("", marks.bytes, "planted DLLs that were loaded");
    /* Wine's forced update places the INF among the OEM INFs too, so a forced run is told
     * apart by the install section's registry value alone. */
    int forced = InstallKeyExists();
    int copied = FileHasBytes(kOemCopy, kInf, sizeof kInf - 1);
    if (c->landed != kNotChecked)
        check(forced == (c->landed == kForced), "forced install %s", forced ? "ran" : "did not run");
    if (c->landed != kNotChecked && c->landed != kForced)
        check(copied == (c->landed == kPreinstalled), "OEM copy %s", copied ? "made" : "not made");
}

static void RunCasesOn(const wchar_t *desktop, const Case *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        if (!BeginCase(cases[i].name))
            continue;
        RunCase(&cases[i], desktop);
        EndCase();
    }
    ForgetInstalls();
}

static void RunCases(const Case *cases, size_t count)
{
    RunCasesOn(NULL, cases, count);
}

static void CopyOrFail(const wchar_t *from, const wchar_t *to)
{
    check(CopyFileW(from, to, FALSE), "copying %ls to %ls: error %lu", from, to, GetLastError());
}

static void PrepareFiles(const wchar_t *drvplant)
{
    CreateDirectoryW(L"C:\\suite", NULL);
    CreateDirectoryW(L"C:\\suite\\folder", NULL);
    CreateDirectoryW(L"C:\\suite\\drv plant", NULL);
    CreateDirectoryW(L"C:\\suite\\x64", NULL);
    CreateDirectoryW(L"C:\\elsewhere", NULL);
    CreateDirectoryW(L"C:\\marks", NULL);
    WriteFileBytes(L"C:\\suite\\test.inf", kInf, sizeof kInf - 1);
    WriteFileBytes(L"C:\\suite\\drv plant\\test.inf", kInf, sizeof kInf - 1);
    WriteFileBytes(L"C:\\suite\\bad.inf", kBadInf, sizeof kBadInf - 1);
    CopyOrFail(drvplant, DRVPLANT);
    CopyOrFail(drvplant, L"C:\\suite\\drv plant\\drvplant.exe");
    CopyOrFail(drvplant, ARCH_DRVPLANT);
}

static int IsSuiteDevice(const char *id, void *found)
{
    *(int *)found = strcmp(id, "ROOT\\DRVPLANT_TEST") == 0;
    return !*(int *)found;
}

static void PrepareDevices(void)
{
    static const char kSecond[] = "drvplant\\first\0ROOT\\DRVPLANT_SECOND\0drvplant\\third\0";
    int found = 0;
    ForEachPresentHardwareId(IsSuiteDevice, &found);
    if (found)
        return;
    CreatePresentDevice("ROOT\\DRVPLANT_TEST\0", 20);
    CreatePresentDevice(kSecond, sizeof kSecond);
    CreatePresentDevice("root\\drvplant_lower\0", 21);
    CreatePresentDevice("", 0);
}

static void EnglishCases(void)
{
    static wchar_t longLine[1200];
    wcscpy(longLine, DRVPLANT L" ");
    for (size_t at = wcslen(longLine), end = at + 1100; at < end; at++)
        longLine[at] = L'a';
    wcscat(longLine, L".inf ROOT\\X");
    const Case cases[] = {
        {"empty_command_line", DRVPLANT, L"", L"C:\\suite", NULL, kUsage, 2, kNothing, kOutputToFile},
        {"no_argument", DRVPLANT, DRVPLANT, L"C:\\suite", NULL, kUsage, 2, kNothing, kOutputToFile},
        {"one_argument", DRVPLANT, DRVPLANT L" test.inf", L"C:\\suite", NULL, kUsage, 2, kNothing,
         kOutputToFile},
        {"three_arguments", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST more", L"C:\\suite",
         NULL, kUsage, 2, kNothing, kOutputToFile},
        {"inf_missing", DRVPLANT, DRVPLANT L" missing.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL,
         kNotFound, 2, kNothing, kOutputToFile},
        {"absolute_inf_still_goes_after_the_directory", DRVPLANT,
         DRVPLANT L" C:\\suite\\test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, kNotFound, 2,
         kNothing, kOutputToFile},
        {"forward_slashes_name_no_directory", DRVPLANT,
         L"C:/suite/drvplant.exe test.inf ROOT\\DRVPLANT_TEST", L"C:\\elsewhere", NULL, kNotFound,
         2, kNothing, kOutputToFile},
        {"inf_path_too_long_for_its_buffer", DRVPLANT, longLine, L"C:\\suite", NULL, kUsage, 2,
         kNothing, kOutputToFile},
        {"forced_onto_the_present_device", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\elsewhere", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        /* The relative path found beside the current directory is handed on as it is;
         * Wine's copy refuses it. */
        {"no_directory_inf_beside_the_current_one", DRVPLANT,
         L"drvplant test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"the_second_id_of_a_device_matches", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_SECOND",
         L"C:\\suite", "ROOT\\DRVPLANT_SECOND", kInstalled, 0, kForced, kOutputToFile},
        /* Wine's forced update compares case-sensitively, so what lands is Wine's business. */
        {"a_stored_lower_case_id_matches", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_LOWER",
         L"C:\\suite", "ROOT\\DRVPLANT_LOWER", kInstalled, 0, kNotChecked, kOutputToFile},
        {"a_lower_case_search_id_never_matches", DRVPLANT, DRVPLANT L" test.inf root\\drvplant_test",
         L"C:\\suite", "root\\drvplant_test", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"absent_device_inf_pre_installed", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"quoted_program_path_with_a_blank", L"C:\\suite\\drv plant\\drvplant.exe",
         L"\"C:\\suite\\drv plant\\drvplant.exe\" test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\elsewhere",
         "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        /* The layout the README suggests: each exe in its own folder below the INF. */
        {"inf_one_folder_up_forced", ARCH_DRVPLANT, ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\elsewhere", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        {"inf_one_folder_up_pre_installed", ARCH_DRVPLANT,
         ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\elsewhere",
         "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"failed_pre_installation_shows_the_box", DRVPLANT, DRVPLANT L" bad.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"a_directory_passes_the_existence_test", DRVPLANT, DRVPLANT L" folder ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"a_wildcard_passes_the_existence_test", DRVPLANT,
         DRVPLANT L" te?t.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        /* A fullwidth quote is no quote to the split; the ID is printed and compared as
         * the ANSI conversion gives it, best fit included. */
        {"a_fullwidth_quote_is_no_quote", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_\uFF02TEST", L"C:\\suite", "ROOT\\DRVPLANT_\"TEST",
         kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"no_standard_output_still_forced", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\suite", NULL, "", 0, kForced, kOutputNone},
        {"standard_output_on_a_full_disk_still_forced", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, "", 0, kForced,
         kOutputToFullDisk},
    };
    RunCases(cases, COUNT(cases));
}

static void MakeFolders(const wchar_t *path)
{
    wchar_t part[MAX_PATH];
    for (size_t at = 3; at <= wcslen(path); at++)
        if (path[at] == L'\\' || path[at] == L'\0') {
            lstrcpynW(part, path, (int)at + 1);
            CreateDirectoryW(part, NULL);
        }
}

#define CYRILLIC L"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup"
#define CHINESE L"C:\\\u5B89\u88C5"
#define DEVANAGARI L"C:\\\u0938\u0947\u091F\u0905\u092A\\drv"
/* Best fit reads it as C:\Lukasz\s, a folder that any user may make. */
#define LOOK_ALIKE L"C:\\\u0141ukasz\\s"
#define FOLDER_CASES(name, folder)                                                              \
    {name "_folder_forced", folder L"\\drvplant.exe",                                             \
     folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_TEST", L"C:\\elsewhere", "ROOT\\DRVPLANT_TEST", \
     kInstalled, 0, kForced, kOutputToFile},                                                    \
    {name "_folder_pre_installed", folder L"\\drvplant.exe",                                      \
     folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\elsewhere",                  \
     "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile}

/* Setup programs run us from the user's temporary folder, named after the user in any
 * script: code page 1252 holds none of these names, and Devanagari has no ANSI code page.
 * The output is the same as from any folder, and it is our INF that lands, never the one
 * in the look-alike folder. */
static void FolderCases(const wchar_t *drvplant)
{
    static const wchar_t *const folders[] = {CYRILLIC, CHINESE, DEVANAGARI, LOOK_ALIKE};
    for (size_t i = 0; i < COUNT(folders); i++) {
        wchar_t path[MAX_PATH];
        MakeFolders(folders[i]);
        WriteFileBytes(wcscat(wcscpy(path, folders[i]), L"\\test.inf"), kInf, sizeof kInf - 1);
        CopyOrFail(drvplant, wcscat(wcscpy(path, folders[i]), L"\\drvplant.exe"));
    }
    MakeFolders(L"C:\\Lukasz\\s");
    WriteFileBytes(L"C:\\Lukasz\\s\\test.inf", kDecoyInf, sizeof kDecoyInf - 1);
    const Case cases[] = {
        FOLDER_CASES("cyrillic", CYRILLIC),
        FOLDER_CASES("chinese", CHINESE),
        FOLDER_CASES("devanagari", DEVANAGARI),
        FOLDER_CASES("look_alike", LOOK_ALIKE),
    };
    RunCases(cases, COUNT(cases));
}

/* Deployment agents run drvplant as SYSTEM on a window station nobody sees: the box would
 * wait for ever there, so its text becomes a line; nothing else changes. (On the suite's
 * own station, failed_pre_installation_shows_the_box shows that the box still appears.) */
static void HiddenStationCases(void)
{
    const Case cases[] = {
        {"hidden_station_failed_pre_installation", DRVPLANT, DRVPLANT L" bad.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAllThenLine, 2, kNothing, kOutputToFile},
        {"hidden_station_forced", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite",
         "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        {"hidden_station_pre_installed", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
    };
    RunCasesOn(HiddenDesktop(), cases, COUNT(cases));
}

static const wchar_t kDrvplantOverrides[] = L"Software\\Wine\\AppDefaults\\drvplant.exe\\DllOverrides";

/* Runs the cases with Wine's load order for drvplant.exe set to setting ("native,builtin",
 * or "" for not at all) for each of names. Wine reads it from the registry at each start. */
static void RunCasesWithOverrides(const wchar_t *const *names, size_t nameCount,
                                  const wchar_t *setting, const Case *cases, size_t count)
{
    HKEY key;
    LONG made = RegCreateKeyExW(HKEY_CURRENT_USER, kDrvplantOverrides, 0, NULL, 0, KEY_WRITE,
                                NULL, &key, NULL);
    check(made == ERROR_SUCCESS, "making %ls: error %ld", kDrvplantOverrides, made);
    for (size_t i = 0; made == ERROR_SUCCESS && i < nameCount; i++)
        RegSetValueExW(key, names[i], 0, REG_SZ, (const BYTE *)setting,
                       (DWORD)((wcslen(setting) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    RunCases(cases, count);
    RegDeleteKeyW(HKEY_CURRENT_USER, kDrvplantOverrides);
}

/* Names of system DLLs that are not KnownDLLs, or that the system's own DLLs load. */
static const wchar_t *const kPlantedNames[] = {
    L"newdev", L"version", L"uxtheme", L"comctl32", L"cfgmgr32", L"wintrust", L"setupapi",
    L"user32", L"devobj", L"imm32", L"dwmapi", L"winmm", L"msimg32", L"crypt32", L"userenv",
    L"profapi", L"dbghelp", L"shlwapi", L"gdi32", L"advapi32",
};

#define PLANTED_CASES(name, folder)                                                            \
    {name "_usage", folder L"\\drvplant.exe", folder L"\\drvplant.exe", folder, NULL, kUsage, 2,   \
     kNothing, kOutputToFile},                                                                 \
    {name "_forced", folder L"\\drvplant.exe", folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_TEST", \
     folder, "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},                      \
    {name "_pre_installed", folder L"\\drvplant.exe",                                          \
     folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_ABSENT", folder, "ROOT\\DRVPLANT_ABSENT",     \
     kWalkedAll, 0, kPreinstalled, kOutputToFile},                                             \
    {name "_failed_pre_installation", folder L"\\drvplant.exe",                                \
     folder L"\\drvplant.exe bad.inf ROOT\\DRVPLANT_ABSENT", folder, "ROOT\\DRVPLANT_ABSENT",      \
     kWalkedAllThenBox, 2, kBox, kOutputToFile}

/* A DLL that leaves a mark when loaded, beside the exe under each name, and Wine told to
 * prefer such native copies from the program's folder, as Windows does. Once for the exe
 * as it runs where SetDefaultDllDirectories exists, once as on older Windows. */
static void PlantedDllCases(const wchar_t *drvplant, const wchar_t *oldLoader, const wchar_t *mark)
{
    static const wchar_t *const folders[] = {L"C:\\planted", L"C:\\planted-old"};
    for (size_t f = 0; f < COUNT(folders); f++) {
        wchar_t path[MAX_PATH];
        MakeFolders(folders[f]);
        WriteFileBytes(wcscat(wcscpy(path, folders[f]), L"\\test.inf"), kInf, sizeof kInf - 1);
        WriteFileBytes(wcscat(wcscpy(path, folders[f]), L"\\bad.inf"), kBadInf, sizeof kBadInf - 1);
        CopyOrFail(f == 0 ? drvplant : oldLoader, wcscat(wcscpy(path, folders[f]), L"\\drvplant.exe"));
        for (size_t i = 0; i < COUNT(kPlantedNames); i++) {
            wcscat(wcscat(wcscat(wcscpy(path, folders[f]), L"\\"), kPlantedNames[i]), L".dll");
            CopyOrFail(mark, path);
        }
    }
    const Case cases[] = {
        PLANTED_CASES("planted_dlls", L"C:\\planted"),
        PLANTED_CASES("old_loader_planted_dlls", L"C:\\planted-old"),
    };
    RunCasesWithOverrides(kPlantedNames, COUNT(kPlantedNames), L"native,builtin", cases,
                          COUNT(cases));
}

/* The failure line for label and code with the system's own text, as text mode writes it
 * (each line feed, the text's own included, goes out as CR LF). */
static void AppendFailureLine(Text *line, const char *label, DWORD code)
{
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
    check(text != NULL, "no system text for error %lu", code);
    TextAppend(line, label);
    TextAppend(line, " FAILURE: ");
    for (const char *at = text != NULL ? text : ""; *at != '\0'; at++) {
        char one[2] = {*at, '\0'};
        TextAppend(line, *at == '\n' ? "\r\n" : one);
    }
    TextAppend(line, "\r\n");
    LocalFree(text);
}

/* A system DLL that cannot be loaded: its operations fail with the loader's code. */
static void UnloadableDllCases(void)
{
    static Text updateFails, noDevices;
    static const wchar_t *const newdev[] = {L"newdev"}, *const setupapi[] = {L"setupapi"};
    TextClear(&updateFails);
    TextClear(&noDevices);
    AppendFailureLine(&updateFails, "UpdateDriverForPlugAndPlayDevices", ERROR_MOD_NOT_FOUND);
    AppendFailureLine(&noDevices, "GetClassDevs(All Present Devices)", ERROR_MOD_NOT_FOUND);
    const Case withoutNewdev[] = {
        {"newdev_cannot_be_loaded_forced_update_fails", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", "ROOT\\DRVPLANT_TEST",
         updateFails.bytes, 2, kNothing, kOutputToFile},
    };
    RunCasesWithOverrides(newdev, 1, L"", withoutNewdev, 1);
    const Case withoutSetupapi[] = {
        {"setupapi_cannot_be_loaded_reported_then_the_box", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, noDevices.bytes, 2, kBox,
         kOutputToFile},
    };
    RunCasesWithOverrides(setupapi, 1, L"", withoutSetupapi, 1);
}

static const wchar_t kEnglishTitle[] = L"Found New Hardware Wizard";
static const wchar_t kChineseTitle[] = L"\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC";

typedef struct {
    const char *name;
    int english, chinese;             /* which titles are open */
    int englishClosed, chineseClosed; /* which ones drvplant must have closed */
    int hung;                         /* their threads read no messages */
} WizardCase;

/* The wizard goes before the arguments are looked at, so a bare run is enough. */
static void RunWizardCases(const WizardCase *cases, size_t count)
{
    static Outcome run;
    for (size_t i = 0; i < count; i++) {
        const WizardCase *c = &cases[i];
        if (!BeginCase(c->name))
            continue;
        Wizard *english = c->english ? OpenWizard(kEnglishTitle) : NULL;
        Wizard *chinese = c->chinese ? OpenWizard(kChineseTitle) : NULL;
        if (c->hung)
            HangWizard(english != NULL ? english : chinese);
        RunExact(DRVPLANT, DRVPLANT, L"C:\\suite", kOutputToFile, NULL, &run);
        check_bytes(kUsage, run.out.bytes, "output");
        check(run.status == 2, "status %lu", run.status);
        check(run.milliseconds < 8000, "took %lu ms", run.milliseconds);
        /* A hung wizard may still take the message once it reads its queue again. */
        int englishClosed = english ? CloseWizard(english) : 0;
        int chineseClosed = chinese ? CloseWizard(chinese) : 0;
        check(c->hung || englishClosed == c->englishClosed, "English window");
        check(c->hung || chineseClosed == c->chineseClosed, "Chinese window");
        EndCase();
    }
}

static void EnglishWizardCases(void)
{
    const WizardCase cases[] = {
        {"english_wizard_open", 1, 0, 1, 0, 0},
        {"no_wizard_open", 0, 0, 0, 0, 0},
        {"english_wizard_hung", 1, 0, 0, 0, 1},
    };
    RunWizardCases(cases, COUNT(cases));
}

static void ChineseWizardCases(void)
{
    const WizardCase cases[] = {
        {"chinese_wizard_open", 0, 1, 0, 1, 0},
        {"both_open_only_the_english_one", 1, 1, 1, 0, 0},
        {"chinese_wizard_hung", 0, 1, 0, 0, 1},
    };
    RunWizardCases(cases, COUNT(cases));
}

/* Under code page 932 the name's second byte is 0x5C; it must not split the path. */
static void JapaneseCases(const wchar_t *drvplant)
{
    static const wchar_t kProgram[] = L"C:\\dbcs\\\u8868.exe";
    CreateDirectoryW(L"C:\\dbcs", NULL);
    WriteFileBytes(L"C:\\dbcs\\test.inf", kInf, sizeof kInf - 1);
    CopyOrFail(drvplant, kProgram);
    const Case cases[] = {
        {"a_trail_byte_0x5c_is_no_separator", kProgram,
         L"C:\\dbcs\\\u8868.exe test.inf ROOT\\DRVPLANT_TEST", L"C:\\elsewhere",
         "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
    };
    RunCases(cases, COUNT(cases));
}

int main(int argc, char **argv)
{
    static wchar_t drvplant[MAX_PATH], oldLoader[MAX_PATH], mark[MAX_PATH];
    if (argc != 3 && argc != 4) {
        printf("usage: suite <drvplant.exe> english|chinese|japanese [case]\n");
        return 2;
    }
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, drvplant, MAX_PATH);
    /* The marking DLL is built beside the suite. */
    DWORD length = GetModuleFileNameW(NULL, mark, MAX_PATH);
    while (length > 0 && mark[length - 1] != L'\\')
        length--;
    lstrcpynW(mark + length, L"mark.dll", MAX_PATH - (int)length);
    /* The exe as older Windows runs it is built beside drvplant.exe. */
    wcscpy(oldLoader, drvplant);
    wcscpy(wcsrchr(oldLoader, L'\\') + 1, L"drvplant_old_loader.exe");
    const char *group = argv[2];
    SelectCases(group, argc == 4 ? argv[3] : NULL);
    PrepareFiles(drvplant);
    PrepareDevices();
    if (strcmp(group, "english") == 0) {
        EnglishCases();
        EnglishWizardCases();
        HiddenStationCases();
        FolderCases(drvplant);
        PlantedDllCases(drvplant, oldLoader, mark);
        UnloadableDllCases();
    } else if (strcmp(group, "chinese") == 0) {
        ChineseWizardCases();
    } else if (strcmp(group, "japanese") == 0) {
        JapaneseCases(drvplant);
    }
    return CheckSummary(group);
}
