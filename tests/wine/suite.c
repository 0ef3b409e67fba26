/* Drives the real drvplant.exe under Wine: exact command lines in, standard output byte
 * for byte, exit status and what landed out. Usage: suite <drvplant.exe> <group> [case],
 * where the group matches the locale Wine was started in (english, chinese, japanese) and
 * case, when given, runs only the cases whose name contains it. */
#include "suite.h"

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
#define SUITE_INF(key)                                     \
    "[Version]\r\n"                                        \
    "Signature=\"$Windows NT$\"\r\n"                       \
    "Class=System\r\n"                                     \
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n" \
    "Provider=drvplant suite\r\n"                          \
    "DriverVer=12/07/2026,1.0.0.0\r\n"                     \
    "\r\n"                                                 \
    "[Manufacturer]\r\n"                                   \
    "drvplant suite=Models\r\n"                            \
    "\r\n"                                                 \
    "[Models]\r\n"                                         \
    "suite device=Install,ROOT\\DRVPLANT_TEST\r\n"         \
    "suite device=Install,ROOT\\DRVPLANT_SECOND\r\n"       \
    "\r\n"                                                 \
    "[Install]\r\n"                                        \
    "AddReg=Install.AddReg\r\n"                            \
    "\r\n"                                                 \
    "[Install.Services]\r\n"                               \
    "AddService=,2\r\n"                                    \
    "\r\n"                                                 \
    "[Install.AddReg]\r\n"                                 \
    "HKLM,Software\\" key ",Installed,,\"yes\"\r\n"
const char kInf[] = SUITE_INF("drvplant-suite");
/* The same INF with another key: one that somebody else placed. */
const char kDecoyInf[] = SUITE_INF("drvplant-decoy");
static const char kBadInf[] = "\x01\x02 not an INF \xff\r\n";

static const char kInstallKey[] = "Software\\drvplant-suite";
static const wchar_t kOemCopy[] = L"C:\\windows\\inf\\test.inf";

#define DRVPLANT L"C:\\suite\\drvplant.exe"
#define ARCH_DRVPLANT L"C:\\suite\\x64\\drvplant.exe"

enum Landed { kNothing, kForced, kPreinstalled, kBox, kNotChecked };
enum Wizards { kEnglishWizard = 1, kChineseWizard = 2 };

/* One run of drvplant and what it must do. A field left out takes its default. */
typedef struct {
    const char *name;
    const wchar_t *program;     /* the file started: DRVPLANT */
    const wchar_t *commandLine; /* exact, element 0 included: the program alone */
    const wchar_t *directory;   /* the current one: C:\suite */
    const char *searchId;       /* when set, the device walk's lines come first */
    const char *tail;           /* the lines after the walk: none */
    const char *reportLabel;    /* when set, the report of reportCode ends the lines */
    DWORD reportCode;
    DWORD status;
    enum Landed landed;
    enum StandardOutput output; /* to a file, read back */
    int hidden;                 /* on a window station that nobody sees */
    const wchar_t *const *overrides; /* DLLs whose load order is set to loadOrder */
    const wchar_t *loadOrder;
    int wizards, closed;        /* windows open before the run; those it must close */
    int hung;                   /* the wizard's thread reads no messages */
    enum Gap gap;               /* a Wine's known gap that the outcome falls in */
} Case;

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

static int InstallKeyExists(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

/* Wine 10 keeps a driver store beside the published copies, as Windows does. A package
 * left there without its published copy makes its SetupCopyOEMInfW fail with 2 for the
 * same INF, so forgetting an install takes the package too. */
static void ForgetPackages(void)
{
    static const wchar_t kStore[] = L"C:\\windows\\system32\\driverstore\\filerepository\\";
    WIN32_FIND_DATAW found;
    wchar_t path[MAX_PATH], file[MAX_PATH];
    HANDLE search = FindFirstFileW(wcscat(wcscpy(path, kStore), L"test.inf_*"), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        wcscat(wcscpy(path, kStore), found.cFileName);
        DeleteFileW(wcscat(wcscpy(file, path), L"\\test.inf"));
        check(RemoveDirectoryW(path), "%ls left in the driver store: error %lu", path, GetLastError());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

void ForgetInstalls(void)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
    DeleteFileW(kOemCopy);
    ForgetPackages();
}

/* Files that planted DLLs left in C:\marks when they were loaded, taken away as read so
 * that a case sees only its own. */
void TakeMarks(Text *marks)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\marks\\*.dll", &found);
    TextClear(marks);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        char path[MAX_PATH] = "C:\\marks\\";
        DeleteFileA(lstrcatA(path, found.cFileName));
        TextAppend(marks, found.cFileName);
        TextAppend(marks, " ");
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

static const wchar_t *const kOverrides[] = {
    L"Software\\Wine\\AppDefaults\\drvplant.exe\\DllOverrides",
    L"Software\\Wine\\AppDefaults\\drvremove.exe\\DllOverrides",
};

void SetLoadOrder(const wchar_t *const *names, const wchar_t *setting)
{
    for (size_t i = 0; i < COUNT(kOverrides); i++) {
        HKEY key;
        LONG made = RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides[i], 0, NULL, 0, KEY_WRITE, NULL,
                                    &key, NULL);
        check(made == ERROR_SUCCESS, "making %ls: error %ld", kOverrides[i], made);
        for (const wchar_t *const *name = names; made == ERROR_SUCCESS && *name != NULL; name++)
            RegSetValueExW(key, *name, 0, REG_SZ, (const BYTE *)setting,
                           (DWORD)((wcslen(setting) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

void ForgetLoadOrder(void)
{
    for (size_t i = 0; i < COUNT(kOverrides); i++)
        RegDeleteKeyW(HKEY_CURRENT_USER, kOverrides[i]);
}

static const wchar_t kEnglishTitle[] = L"Found New Hardware Wizard";
static const wchar_t kChineseTitle[] = L"\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC";

static void RunDrvplant(const Case *c, Outcome *run)
{
    const wchar_t *program = c->program != NULL ? c->program : DRVPLANT;
    RunExact(program, c->commandLine != NULL ? c->commandLine : program,
             c->directory != NULL ? c->directory : L"C:\\suite", c->output,
             c->hidden ? HiddenDesktop() : NULL, run);
}

static void RunCase(const Case *c)
{
    static Text expected, marks;
    static Outcome run, alone;
    TakeMarks(&marks);
    if (c->overrides != NULL)
        SetLoadOrder(c->overrides, c->loadOrder);
    /* Start-up alone takes seconds under an emulator: the same run without the wizard
     * tells what the hung one cost. */
    if (c->hung)
        RunDrvplant(c, &alone);
    ForgetInstalls();
    TextClear(&expected);
    if (c->searchId != NULL)
        AppendWalkLines(&expected, c->searchId);
    TextAppend(&expected, c->tail != NULL ? c->tail : "");
    if (c->reportLabel != NULL)
        AppendFailureLine(&expected, c->reportLabel, c->reportCode);
    Wizard *english = c->wizards & kEnglishWizard ? OpenWizard(kEnglishTitle) : NULL;
    Wizard *chinese = c->wizards & kChineseWizard ? OpenWizard(kChineseTitle) : NULL;
    if (c->hung)
        HangWizard(english != NULL ? english : chinese);

    RunDrvplant(c, &run);

    /* A hung wizard may still take the message once it reads its queue again. */
    int closed = (english != NULL && CloseWizard(english) ? kEnglishWizard : 0) |
                 (chinese != NULL && CloseWizard(chinese) ? kChineseWizard : 0);
    check(c->hung || closed == c->closed, "wizards closed: %d, expected %d", closed, c->closed);
    if (c->overrides != NULL)
        ForgetLoadOrder();
    /* Nothing may hold a run up: a box nobody sees, a hung window. */
    check(run.milliseconds < 20000, "took %lu ms", run.milliseconds);
    /* A hung wizard costs drvplant's patience of 3 s, and not twice that. */
    if (c->hung)
        check(run.milliseconds < alone.milliseconds + 5000,
              "took %lu ms, %lu ms without the wizard", run.milliseconds, alone.milliseconds);
    TakeMarks(&marks);
    check_bytes("", marks.bytes, "planted DLLs that were loaded");
    /* Wine's forced update places the INF among the OEM INFs too, so a forced run is told
     * apart by the install section's registry value alone. */
    int forced = InstallKeyExists();
    int copied = FileHasBytes(kOemCopy, kInf, sizeof kInf - 1);
    if (c->landed != kNotChecked)
        check(forced == (c->landed == kForced), "forced install %s", forced ? "ran" : "did not run");

    BeginGap(c->gap);
    if (c->output == kOutputToFile)
        check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == c->status, "status %lu, expected %lu", run.status, c->status);
    check(run.boxShown == (c->landed == kBox), "box shown: %d", run.boxShown);
    if (c->landed == kBox) {
        check_bytes("Error-Install Driver Failed!", run.boxText, "box text");
        check_bytes(expected.bytes, run.outAtBox.bytes, "output that reached the file before the box");
    }
    if (c->landed != kNotChecked && c->landed != kForced)
        check(copied == (c->landed == kPreinstalled), "OEM copy %s", copied ? "made" : "not made");
    EndGap();
}

static void RunCases(const Case *cases, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (BeginCase(cases[i].name)) {
            RunCase(&cases[i]);
            EndCase();
        }
    ForgetInstalls();
}

void CopyOrFail(const wchar_t *from, const wchar_t *to)
{
    check(CopyFileW(from, to, FALSE), "copying %ls to %ls: error %lu", from, to, GetLastError());
}

void MakeFolders(const wchar_t *path)
{
    wchar_t part[MAX_PATH];
    for (size_t at = 3; at <= wcslen(path); at++)
        if (path[at] == L'\\' || path[at] == L'\0') {
            lstrcpynW(part, path, (int)at + 1);
            CreateDirectoryW(part, NULL);
        }
}

/* The program as exe in folder, with test.inf and bad.inf beside it. */
/* drvremove.exe, built beside drvplant.exe: placed beside each copy of it. */
static wchar_t drvremove[MAX_PATH];

static void PlaceProgram(const wchar_t *folder, const wchar_t *exe, const wchar_t *name)
{
    wchar_t path[MAX_PATH];
    MakeFolders(folder);
    WriteFileBytes(wcscat(wcscpy(path, folder), L"\\test.inf"), kInf, sizeof kInf - 1);
    WriteFileBytes(wcscat(wcscpy(path, folder), L"\\bad.inf"), kBadInf, sizeof kBadInf - 1);
    CopyOrFail(exe, wcscat(wcscat(wcscpy(path, folder), L"\\"), name));
    if (wcscmp(name, L"drvplant.exe") == 0)
        CopyOrFail(drvremove, wcscat(wcscpy(path, folder), L"\\drvremove.exe"));
}

/* Names of system DLLs that are not KnownDLLs, or that the system's own DLLs load. */
const wchar_t *const kPlantedNames[] = {
    L"newdev", L"version", L"uxtheme", L"comctl32", L"cfgmgr32", L"wintrust", L"setupapi",
    L"user32", L"devobj", L"imm32", L"dwmapi", L"winmm", L"msimg32", L"crypt32", L"userenv",
    L"profapi", L"dbghelp", L"shlwapi", L"gdi32", L"advapi32", NULL,
};
static const wchar_t *const kNewdev[] = {L"newdev", NULL}, *const kSetupapi[] = {L"setupapi", NULL};

#define CHINESE L"C:\\\u5B89\u88C5"
#define DEVANAGARI L"C:\\\u0938\u0947\u091F\u0905\u092A\\drv"
/* Best fit reads it as C:\Lukasz\s, a folder that any user may make. */
#define LOOK_ALIKE L"C:\\\u0141ukasz\\s"
#define PLANTED_OLD L"C:\\planted-old"
#define JAPANESE L"C:\\dbcs\\\u8868.exe"

static void PrepareFiles(const wchar_t *drvplant, const wchar_t *oldLoader, const wchar_t *mark)
{
    static const wchar_t *const folders[] = {CYRILLIC, CHINESE, DEVANAGARI, LOOK_ALIKE, PLANTED};
    PlaceProgram(L"C:\\suite", drvplant, L"drvplant.exe");
    PlaceProgram(L"C:\\suite\\drv plant", drvplant, L"drvplant.exe");
    PlaceProgram(L"C:\\suite\\x64", drvplant, L"drvplant.exe");
    PlaceProgram(L"C:\\dbcs", drvplant, L"\u8868.exe");
    CreateDirectoryW(L"C:\\suite\\folder", NULL);
    CreateDirectoryW(L"C:\\elsewhere", NULL);
    CreateDirectoryW(L"C:\\marks", NULL);
    for (size_t i = 0; i < COUNT(folders); i++)
        PlaceProgram(folders[i], drvplant, L"drvplant.exe");
    PlaceProgram(PLANTED_OLD, oldLoader, L"drvplant.exe");
    MakeFolders(L"C:\\Lukasz\\s");
    WriteFileBytes(L"C:\\Lukasz\\s\\test.inf", kDecoyInf, sizeof kDecoyInf - 1);
    /* A DLL that leaves a mark when loaded, under each name beside the planted exes. */
    for (size_t f = 0; f < 2; f++)
        for (size_t i = 0; kPlantedNames[i] != NULL; i++) {
            wchar_t path[MAX_PATH];
            wcscat(wcscat(wcscpy(path, f == 0 ? PLANTED : PLANTED_OLD), L"\\"), kPlantedNames[i]);
            CopyOrFail(mark, wcscat(path, L".dll"));
        }
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

#define FORCING(folder) folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_TEST"
#define PRE_INSTALLING(folder) folder L"\\drvplant.exe test.inf ROOT\\DRVPLANT_ABSENT"
#define FAILING(folder) folder L"\\drvplant.exe bad.inf ROOT\\DRVPLANT_ABSENT"
#define FORCED .searchId = "ROOT\\DRVPLANT_TEST", .tail = kInstalled, .landed = kForced
#define PRE_INSTALLED .searchId = "ROOT\\DRVPLANT_ABSENT", .tail = kWalkedAll, .landed = kPreinstalled
#define BOX .searchId = "ROOT\\DRVPLANT_ABSENT", .tail = kWalkedAllThenBox, .status = 2, .landed = kBox
#define USAGE .tail = kUsage, .status = 2
#define NOT_FOUND .tail = kNotFound, .status = 2
/* Setup programs run us from the user's temporary folder, named after the user in any
 * script: code page 1252 holds none of these names, and Devanagari has no ANSI code page.
 * The output is as from any folder, and it is our INF that lands, never the look-alike's. */
#define FOLDER_CASES(prefix, folder)                                              \
    {.name = prefix "_folder_forced", .program = folder L"\\drvplant.exe",        \
     .commandLine = FORCING(folder), .directory = L"C:\\elsewhere", FORCED},      \
    {.name = prefix "_folder_pre_installed", .program = folder L"\\drvplant.exe", \
     .commandLine = PRE_INSTALLING(folder), .directory = L"C:\\elsewhere", PRE_INSTALLED}
/* A planted DLL beside the exe and Wine told to prefer such native copies from the
 * program's folder, as Windows does: once for the exe as it runs where
 * SetDefaultDllDirectories exists, once as on older Windows. */
#define NATIVE_FIRST .overrides = kPlantedNames, .loadOrder = L"native,builtin"
#define PLANTED_CASES(prefix, folder)                                                            \
    {.name = prefix "_usage", .program = folder L"\\drvplant.exe", .directory = folder, USAGE,   \
     NATIVE_FIRST},                                                                              \
    {.name = prefix "_forced", .program = folder L"\\drvplant.exe",                              \
     .commandLine = FORCING(folder), .directory = folder, FORCED, NATIVE_FIRST},                 \
    {.name = prefix "_pre_installed", .program = folder L"\\drvplant.exe",                       \
     .commandLine = PRE_INSTALLING(folder), .directory = folder, PRE_INSTALLED, NATIVE_FIRST},    \
    {.name = prefix "_failed_pre_installation", .program = folder L"\\drvplant.exe",             \
     .commandLine = FAILING(folder), .directory = folder, BOX, NATIVE_FIRST}

static void EnglishCases(void)
{
    static wchar_t longLine[1200];
    wcscpy(longLine, DRVPLANT L" ");
    for (size_t at = wcslen(longLine), end = at + 1100; at < end; at++)
        longLine[at] = L'a';
    wcscat(longLine, L".inf ROOT\\X");
    const Case cases[] = {
        {.name = "empty_command_line", .commandLine = L"", USAGE},
        {.name = "no_argument", USAGE},
        {.name = "one_argument", .commandLine = DRVPLANT L" test.inf", USAGE},
        {.name = "three_arguments", .commandLine = FORCING(L"C:\\suite") L" more", USAGE},
        {.name = "inf_missing", .commandLine = DRVPLANT L" missing.inf ROOT\\DRVPLANT_TEST", NOT_FOUND},
        {.name = "absolute_inf_still_goes_after_the_directory",
         .commandLine = DRVPLANT L" C:\\suite\\test.inf ROOT\\DRVPLANT_TEST", NOT_FOUND},
        {.name = "forward_slashes_name_no_directory",
         .commandLine = L"C:/suite/drvplant.exe test.inf ROOT\\DRVPLANT_TEST",
         .directory = L"C:\\elsewhere", NOT_FOUND},
        {.name = "inf_path_too_long_for_its_buffer", .commandLine = longLine, USAGE},
        {.name = "forced_onto_the_present_device", .commandLine = FORCING(L"C:\\suite"),
         .directory = L"C:\\elsewhere", FORCED},
        /* Started by a bare name from the INF's folder: the INF is the current folder's,
         * handed on in full, as Windows wants it. */
        {.name = "no_directory_inf_beside_the_current_one",
         .commandLine = L"drvplant test.inf ROOT\\DRVPLANT_ABSENT", PRE_INSTALLED},
        {.name = "no_directory_forced_from_the_infs_folder",
         .commandLine = L"drvplant test.inf ROOT\\DRVPLANT_TEST", FORCED},
        {.name = "the_second_id_of_a_device_matches",
         .commandLine = DRVPLANT L" test.inf ROOT\\DRVPLANT_SECOND", .searchId = "ROOT\\DRVPLANT_SECOND",
         .tail = kInstalled, .landed = kForced},
        /* Wine's forced update compares case-sensitively, so what lands is Wine's business. */
        {.name = "a_stored_lower_case_id_matches",
         .commandLine = DRVPLANT L" test.inf ROOT\\DRVPLANT_LOWER", .searchId = "ROOT\\DRVPLANT_LOWER",
         .tail = kInstalled, .landed = kNotChecked},
        {.name = "a_lower_case_search_id_never_matches",
         .commandLine = DRVPLANT L" test.inf root\\drvplant_test", .searchId = "root\\drvplant_test",
         .tail = kWalkedAll, .landed = kPreinstalled},
        {.name = "absent_device_inf_pre_installed", .commandLine = PRE_INSTALLING(L"C:\\suite"),
         PRE_INSTALLED},
        {.name = "quoted_program_path_with_a_blank", .program = L"C:\\suite\\drv plant\\drvplant.exe",
         .commandLine = L"\"C:\\suite\\drv plant\\drvplant.exe\" test.inf ROOT\\DRVPLANT_ABSENT",
         .directory = L"C:\\elsewhere", PRE_INSTALLED},
        /* The layout the README suggests: each exe in its own folder below the INF. */
        {.name = "inf_one_folder_up_forced", .program = ARCH_DRVPLANT,
         .commandLine = ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_TEST",
         .directory = L"C:\\elsewhere", FORCED},
        {.name = "inf_one_folder_up_pre_installed", .program = ARCH_DRVPLANT,
         .commandLine = ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_ABSENT",
         .directory = L"C:\\elsewhere", PRE_INSTALLED},
        {.name = "failed_pre_installation_shows_the_box", .commandLine = FAILING(L"C:\\suite"), BOX},
        {.name = "a_directory_passes_the_existence_test",
         .commandLine = DRVPLANT L" folder ROOT\\DRVPLANT_ABSENT", BOX},
        {.name = "a_wildcard_passes_the_existence_test",
         .commandLine = DRVPLANT L" te?t.inf ROOT\\DRVPLANT_ABSENT", BOX},
        /* A fullwidth quote is no quote to the split; the ID is printed and compared as
         * the ANSI conversion gives it, best fit included. */
        {.name = "a_fullwidth_quote_is_no_quote",
         .commandLine = DRVPLANT L" test.inf ROOT\\DRVPLANT_\uFF02TEST",
         .searchId = "ROOT\\DRVPLANT_\"TEST", .tail = kWalkedAll, .landed = kPreinstalled},
        {.name = "no_standard_output_still_forced", .commandLine = FORCING(L"C:\\suite"),
         .landed = kForced, .output = kOutputNone},
        {.name = "standard_output_on_a_full_disk_still_forced", .commandLine = FORCING(L"C:\\suite"),
         .landed = kForced, .output = kOutputToFullDisk},
        /* The wizard goes before the arguments are looked at, so a bare run is enough. */
        {.name = "english_wizard_open", USAGE, .wizards = kEnglishWizard, .closed = kEnglishWizard},
        {.name = "no_wizard_open", USAGE},
        {.name = "english_wizard_hung", USAGE, .wizards = kEnglishWizard, .hung = 1},
        /* Code page 1252 has no form of the Chinese title; the wizard must go all the same. */
        {.name = "chinese_wizard_open_under_code_page_1252", USAGE, .wizards = kChineseWizard,
         .closed = kChineseWizard},
        /* Deployment agents run drvplant as SYSTEM on a window station nobody sees: the box
         * would wait for ever there, so its text becomes a line; nothing else changes. */
        {.name = "hidden_station_failed_pre_installation", .commandLine = FAILING(L"C:\\suite"),
         .searchId = "ROOT\\DRVPLANT_ABSENT", .tail = kWalkedAllThenLine, .status = 2, .hidden = 1},
        {.name = "hidden_station_forced", .commandLine = FORCING(L"C:\\suite"), FORCED, .hidden = 1},
        {.name = "hidden_station_pre_installed", .commandLine = PRE_INSTALLING(L"C:\\suite"),
         PRE_INSTALLED, .hidden = 1},
        FOLDER_CASES("cyrillic", CYRILLIC),
        FOLDER_CASES("chinese", CHINESE),
        FOLDER_CASES("devanagari", DEVANAGARI),
        FOLDER_CASES("look_alike", LOOK_ALIKE),
        PLANTED_CASES("planted_dlls", PLANTED),
        PLANTED_CASES("old_loader_planted_dlls", PLANTED_OLD),
        /* A system DLL that cannot be loaded: its operations fail with the loader's code. */
        {.name = "newdev_cannot_be_loaded_forced_update_fails", .commandLine = FORCING(L"C:\\suite"),
         .searchId = "ROOT\\DRVPLANT_TEST", .reportLabel = "UpdateDriverForPlugAndPlayDevices",
         .reportCode = ERROR_MOD_NOT_FOUND, .status = 2, .overrides = kNewdev, .loadOrder = L""},
        {.name = "setupapi_cannot_be_loaded_reported_then_the_box", .commandLine = FORCING(L"C:\\suite"),
         .reportLabel = "GetClassDevs(All Present Devices)", .reportCode = ERROR_MOD_NOT_FOUND,
         .status = 2, .landed = kBox, .overrides = kSetupapi, .loadOrder = L""},
    };
    RunCases(cases, COUNT(cases));
}

static void ChineseCases(void)
{
    const Case cases[] = {
        {.name = "chinese_wizard_open", USAGE, .wizards = kChineseWizard, .closed = kChineseWizard},
        {.name = "both_open_only_the_english_one", USAGE, .wizards = kEnglishWizard | kChineseWizard,
         .closed = kEnglishWizard},
        {.name = "chinese_wizard_hung", USAGE, .wizards = kChineseWizard, .hung = 1},
    };
    RunCases(cases, COUNT(cases));
}

/* Under code page 932 the name's second byte is 0x5C; it must not split the path. */
static void JapaneseCases(void)
{
    const Case cases[] = {
        {.name = "a_trail_byte_0x5c_is_no_separator", .program = JAPANESE,
         .commandLine = JAPANESE L" test.inf ROOT\\DRVPLANT_TEST", .directory = L"C:\\elsewhere",
         FORCED},
    };
    RunCases(cases, COUNT(cases));
}

int main(int argc, char **argv)
{
    static wchar_t drvplant[MAX_PATH], oldLoader[MAX_PATH], mark[MAX_PATH];
    if (argc != 3 && argc != 4) {
        printf("usage: suite <drvplant.exe> english|chinese|japanese|removal [case]\n");
        return 2;
    }
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, drvplant, MAX_PATH);
    /* The exe as older Windows runs it is built beside drvplant.exe, the marking DLL
     * beside the suite. */
    wcscpy(oldLoader, drvplant);
    wcscpy(drvremove, drvplant);
    wcscpy(wcsrchr(drvremove, L'\\') + 1, L"drvremove.exe");
    wcscpy(wcsrchr(oldLoader, L'\\') + 1, L"drvplant_old_loader.exe");
    GetModuleFileNameW(NULL, mark, MAX_PATH);
    wcscpy(wcsrchr(mark, L'\\') + 1, L"mark.dll");
    const char *group = argv[2];
    SelectCases(group, argc == 4 ? argv[3] : NULL);
    PrepareFiles(drvplant, oldLoader, mark);
    PrepareDevices();
    if (strcmp(group, "english") == 0)
        EnglishCases();
    else if (strcmp(group, "chinese") == 0)
        ChineseCases();
    else if (strcmp(group, "japanese") == 0)
        JapaneseCases();
    else if (strcmp(group, "removal") == 0)
        RemovalCases();
    return CheckSummary(group);
}
