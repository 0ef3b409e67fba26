// drvplant.exe under Wine: exact command lines in, standard output byte for byte, exit
// status, the box, the wizards it closes and what landed.
#include "kit.h"

#include <string.h>
#include <wchar.h>

#define INSTALLED "Driver Installed successfully.\r\n"
#define WALKED_ALL "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"
#define USAGE_LINE "usage: drvplant <INF_File> <Hardware_ID>\r\n"

enum Landed { kNothing, kForced, kPreinstalled, kBox, kNotChecked };
// Which exe forced the driver on, told by the registry view its install wrote: the native
// machine's (on 64-bit Windows the x64 exe that the x86 one handed over to), or the x86
// exe itself.
enum Doer { kAnyExe, kNativeExe, kX86Exe };
enum Wizards { kEnglishWizard = 1, kChineseWizard = 2 };

// One run of drvplant and what it must do. A field left out takes its default.
typedef struct {
    const char *name;
    const wchar_t *program; // the file started: DRVPLANT
    const wchar_t *commandLine; // exact, element 0 included: the program alone
    const wchar_t *directory; // the current one: SUITE
    const char *searchId; // when set, the search's lines come first
    const char *walkEnd; // the present hardware ID that ends the walk: none
    const char *tail; // the lines after the walk: none
    DWORD status;
    enum Landed landed;
    enum StandardOutput output; // to a file, read back
    int hidden; // on a window station that nobody sees
    const wchar_t *const *overrides; // DLLs whose load order is set to loadOrder
    const wchar_t *loadOrder;
    int wizards, closed; // windows open before the run; those it must close
    int hung; // the wizard's thread reads no messages
    enum Doer doer;
    const wchar_t *recorded; // the recorder is in x64\'s place and ends with this status
} Case;

// What c must print: the search's lines up to c->walkEnd, then c->tail. Which ID ends the
// walk, and its line, are data.
static void ExpectLines(Text *lines, const Case *c)
{
    TextClear(lines);
    if (c->searchId != NULL)
        ExpectSearch(lines, c->searchId, c->walkEnd);
    TextAppend(lines, c->tail != NULL ? c->tail : "");
}

static const wchar_t kEnglishTitle[] = L"Found New Hardware Wizard";
static const wchar_t kChineseTitle[] = L"\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC";

static void RunCase(const Case *c)
{
    static Text expected;
    static RunOutcome run, alone;
    const Start start = {c->program, c->commandLine, c->directory};
    SetUpCase(c->overrides, c->loadOrder);
    // Start-up alone takes seconds under an emulator: the same run without the wizard
    // tells what the hung one cost.
    if (c->hung)
        RunStart(start, c->output, c->hidden, &alone);
    ForgetInstalls();
    ExpectLines(&expected, c);
    Wizard *english = c->wizards & kEnglishWizard ? OpenWizard(kEnglishTitle) : NULL;
    Wizard *chinese = c->wizards & kChineseWizard ? OpenWizard(kChineseTitle) : NULL;
    if (c->hung)
        HangWizard(english != NULL ? english : chinese);

    if (c->recorded != NULL)
        BeginRecording(c->recorded);
    RunStart(start, c->output, c->hidden, &run);
    if (c->recorded != NULL)
        EndRecording(start.commandLine != NULL ? start.commandLine : start.program,
                     start.directory != NULL ? start.directory : SUITE);

    // A hung wizard may still take the message once it reads its queue again.
    int closed = (english != NULL && CloseWizard(english) ? kEnglishWizard : 0) |
                 (chinese != NULL && CloseWizard(chinese) ? kChineseWizard : 0);
    check(c->hung || closed == c->closed, "wizards closed: %d, expected %d", closed, c->closed);
    // Nothing may hold a run up: a box nobody sees, a hung window.
    check(run.milliseconds < 20000, "took %lu ms", run.milliseconds);
    // A hung wizard costs drvplant's patience of 3 s, and not twice that.
    if (c->hung)
        check(run.milliseconds < alone.milliseconds + 5000,
              "took %lu ms, %lu ms without the wizard", run.milliseconds, alone.milliseconds);
    TearDownCase();
    // Wine's forced update places the INF among the OEM INFs too, so a forced run is told
    // apart by the install section's registry value alone.
    int in32 = InstalledInView(KEY_WOW64_32KEY), in64 = InstalledInView(KEY_WOW64_64KEY);
    int forced = in32 || in64, wow64 = RunsAsWow64();
    // On 32-bit Windows the two views are one, and the x86 exe the native one.
    if (c->doer != kAnyExe)
        check(c->doer == kNativeExe ? in64 && (!wow64 || !in32) : in32 && (!wow64 || !in64),
              "installed into the 32-bit view: %d, the 64-bit view: %d", in32, in64);
    // There the x86 exe runs itself where the recorder would have: what it does is the
    // other cases' business.
    if (c->recorded != NULL && !wow64)
        return;
    // The looking after a forced install cannot be shown where every device looks well.
    if (forced)
        todo_gap(kGapDeviceStatus) check(DeviceStatus("ROOT\\DRVPLANT_TEST") != 0, "the test device's status is 0");
    int copied = FileHasBytes(Beside(INF_FOLDER_PATH, L"test.inf"), kInfBytes);
    if (c->landed != kNotChecked)
        check(forced == (c->landed == kForced), "forced install %s", forced ? "ran" : "did not run");
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
}

static void RunCases(const wchar_t *drvplant, const Case *cases, size_t count)
{
    PrepareSuite(drvplant);
    for (size_t i = 0; i < count; i++)
        in_case(cases[i].name) RunCase(&cases[i]);
    ForgetInstalls();
}

static const wchar_t *const kNewdev[] = {L"newdev", NULL}, *const kSetupapi[] = {L"setupapi", NULL};

// folder\drvplant.exe, started by its full path with these arguments.
#define RUN(folder, arguments) \
    .program = folder L"\\drvplant.exe", .commandLine = folder L"\\drvplant.exe " arguments
#define FORCING(folder) RUN(folder, L"test.inf ROOT\\DRVPLANT_TEST")
#define PRE_INSTALLING(folder) RUN(folder, L"test.inf ROOT\\DRVPLANT_ABSENT")
#define FAILING(folder) RUN(folder, L"bad.inf ROOT\\DRVPLANT_ABSENT")
#define ELSEWHERE .directory = L"C:\\elsewhere"
#define FOUND(id) "Found! [" id "]\r\n"
#define FORCED_BY(id) .searchId = id, .walkEnd = id, .tail = FOUND(id) INSTALLED, .landed = kForced
#define FORCED FORCED_BY("ROOT\\DRVPLANT_TEST")
#define PRE_INSTALLED_BY(id) .searchId = id, .tail = WALKED_ALL INSTALLED, .landed = kPreinstalled
#define PRE_INSTALLED PRE_INSTALLED_BY("ROOT\\DRVPLANT_ABSENT")
#define BOX .searchId = "ROOT\\DRVPLANT_ABSENT", .tail = WALKED_ALL, .status = 2, .landed = kBox
#define USAGE .tail = USAGE_LINE, .status = 2
#define NOT_FOUND .tail = "  File not found.\r\n" USAGE_LINE, .status = 2
// Setup programs run us from the user's temporary folder, named after the user in any
// script: code page 1252 holds none of these names, and Devanagari has no ANSI code page.
// The output is as from any folder, and it is our INF that lands, never the look-alike's.
#define FOLDER_CASES(prefix, folder)                                                           \
    {.name = prefix "_folder_forced", FORCING(folder), ELSEWHERE, FORCED},                     \
    {.name = prefix "_folder_pre_installed", PRE_INSTALLING(folder), ELSEWHERE, PRE_INSTALLED}
// A planted DLL beside the exe and Wine told to prefer such native copies from the
// program's folder, as Windows does: once for the exe as it runs where
// SetDefaultDllDirectories exists, once as on older Windows.
#define NATIVE_FIRST(folder) \
    .directory = folder, .overrides = kPlantedNames, .loadOrder = L"native,builtin"
#define PLANTED_CASES(prefix, folder)                                                               \
    {.name = prefix "_usage", .program = folder L"\\drvplant.exe", USAGE, NATIVE_FIRST(folder)},    \
    {.name = prefix "_forced", FORCING(folder), FORCED, NATIVE_FIRST(folder)},                      \
    {.name = prefix "_pre_installed", PRE_INSTALLING(folder), PRE_INSTALLED, NATIVE_FIRST(folder)}, \
    {.name = prefix "_failed_pre_installation", FAILING(folder), BOX, NATIVE_FIRST(folder)}

void EnglishCases(const wchar_t *drvplant)
{
    static wchar_t longLine[1200];
    wcscpy(longLine, DRVPLANT L" ");
    for (size_t at = wcslen(longLine), end = at + 1100; at < end; at++)
        longLine[at] = L'a';
    wcscat(longLine, L".inf ROOT\\X");
    const Case cases[] = {
        {.name = "empty_command_line", .commandLine = L"", USAGE},
        {.name = "no_argument", USAGE},
        {.name = "one_argument", RUN(SUITE, L"test.inf"), USAGE},
        {.name = "three_arguments", RUN(SUITE, L"test.inf ROOT\\DRVPLANT_TEST more"), USAGE},
        {.name = "inf_missing", RUN(SUITE, L"missing.inf ROOT\\DRVPLANT_TEST"), NOT_FOUND},
        {.name = "absolute_inf_still_goes_after_the_directory",
         RUN(SUITE, L"C:\\suite\\test.inf ROOT\\DRVPLANT_TEST"), NOT_FOUND},
        {.name = "forward_slashes_name_no_directory",
         .commandLine = L"C:/suite/drvplant.exe test.inf ROOT\\DRVPLANT_TEST", ELSEWHERE, NOT_FOUND},
        {.name = "inf_path_too_long_for_its_buffer", .commandLine = longLine, USAGE},
        {.name = "forced_onto_the_present_device", FORCING(SUITE), ELSEWHERE, FORCED},
        // Started by a bare name from the INF's folder: the INF is the current folder's,
        // handed on in full, as Windows wants it.
        {.name = "no_directory_inf_beside_the_current_one",
         .commandLine = L"drvplant test.inf ROOT\\DRVPLANT_ABSENT", PRE_INSTALLED},
        {.name = "no_directory_forced_from_the_infs_folder",
         .commandLine = L"drvplant test.inf ROOT\\DRVPLANT_TEST", FORCED},
        {.name = "the_second_id_of_a_device_matches", RUN(SUITE, L"test.inf ROOT\\DRVPLANT_SECOND"),
         FORCED_BY("ROOT\\DRVPLANT_SECOND")},
        // Wine's forced update compares case-sensitively, so what lands is Wine's business.
        {.name = "a_stored_lower_case_id_matches", RUN(SUITE, L"test.inf ROOT\\DRVPLANT_LOWER"),
         .searchId = "ROOT\\DRVPLANT_LOWER", .walkEnd = "root\\drvplant_lower",
         .tail = FOUND("ROOT\\DRVPLANT_LOWER") INSTALLED, .landed = kNotChecked},
        {.name = "a_lower_case_search_id_never_matches", RUN(SUITE, L"test.inf root\\drvplant_test"),
         PRE_INSTALLED_BY("root\\drvplant_test")},
        {.name = "absent_device_inf_pre_installed", PRE_INSTALLING(SUITE), PRE_INSTALLED},
        {.name = "quoted_program_path_with_a_blank", .program = SUITE L"\\drv plant\\drvplant.exe",
         .commandLine = L"\"C:\\suite\\drv plant\\drvplant.exe\" test.inf ROOT\\DRVPLANT_ABSENT",
         ELSEWHERE, PRE_INSTALLED},
        // The layout the README suggests: each exe in its own folder below the INF.
        {.name = "inf_one_folder_up_forced", RUN(SUITE L"\\x64", L"..\\test.inf ROOT\\DRVPLANT_TEST"),
         ELSEWHERE, FORCED},
        {.name = "inf_one_folder_up_pre_installed",
         RUN(SUITE L"\\x64", L"..\\test.inf ROOT\\DRVPLANT_ABSENT"), ELSEWHERE, PRE_INSTALLED},
        {.name = "failed_pre_installation_shows_the_box", FAILING(SUITE), BOX},
        {.name = "a_directory_passes_the_existence_test", RUN(SUITE, L"folder ROOT\\DRVPLANT_ABSENT"), BOX},
        {.name = "a_wildcard_passes_the_existence_test", RUN(SUITE, L"te?t.inf ROOT\\DRVPLANT_ABSENT"), BOX},
        // A fullwidth quote is no quote to the split; the ID is printed and compared as
        // the ANSI conversion gives it, best fit included.
        {.name = "a_fullwidth_quote_is_no_quote", RUN(SUITE, L"test.inf ROOT\\DRVPLANT_\uFF02TEST"),
         PRE_INSTALLED_BY("ROOT\\DRVPLANT_\"TEST")},
        {.name = "no_standard_output_still_forced", FORCING(SUITE), .landed = kForced, .output = kOutputNone},
        {.name = "standard_output_on_a_full_disk_still_forced", FORCING(SUITE), .landed = kForced,
         .output = kOutputToFullDisk},
        // The wizard goes before the arguments are looked at, so a bare run is enough;
        // no_argument is the same run without a wizard.
        {.name = "english_wizard_open", USAGE, .wizards = kEnglishWizard, .closed = kEnglishWizard},
        {.name = "english_wizard_hung", USAGE, .wizards = kEnglishWizard, .hung = 1},
        // Code page 1252 has no form of the Chinese title; the wizard must go all the same.
        {.name = "chinese_wizard_open_under_code_page_1252", USAGE, .wizards = kChineseWizard,
         .closed = kChineseWizard},
        // Deployment agents run drvplant as SYSTEM on a window station nobody sees: the box
        // would wait for ever there, so its text becomes a line; nothing else changes.
        {.name = "hidden_station_failed_pre_installation", FAILING(SUITE), .searchId = "ROOT\\DRVPLANT_ABSENT",
         .tail = WALKED_ALL "Error-Install Driver Failed!\r\n", .status = 2, .hidden = 1},
        {.name = "hidden_station_forced", FORCING(SUITE), FORCED, .hidden = 1},
        {.name = "hidden_station_pre_installed", PRE_INSTALLING(SUITE), PRE_INSTALLED, .hidden = 1},
        FOLDER_CASES("cyrillic", CYRILLIC),
        FOLDER_CASES("chinese", CHINESE),
        FOLDER_CASES("devanagari", DEVANAGARI),
        FOLDER_CASES("look_alike", LOOK_ALIKE),
        PLANTED_CASES("planted_dlls", PLANTED),
        PLANTED_CASES("old_loader_planted_dlls", PLANTED_OLD),
        // A system DLL that cannot be loaded: its operations fail with the loader's code.
        {.name = "newdev_cannot_be_loaded_forced_update_fails", FORCING(SUITE),
         .searchId = "ROOT\\DRVPLANT_TEST", .walkEnd = "ROOT\\DRVPLANT_TEST",
         .tail = FOUND("ROOT\\DRVPLANT_TEST")
         "UpdateDriverForPlugAndPlayDevices FAILURE: Module not found.\r\r\n\r\n",
         .status = 2, .overrides = kNewdev, .loadOrder = L""},
        {.name = "setupapi_cannot_be_loaded_reported_then_the_box", FORCING(SUITE),
         .tail = "GetClassDevs(All Present Devices) FAILURE: Module not found.\r\r\n\r\n",
         .status = 2, .landed = kBox, .overrides = kSetupapi, .loadOrder = L""},
    };
    RunCases(drvplant, cases, COUNT(cases));
}

void ChineseCases(const wchar_t *drvplant)
{
    const Case cases[] = {
        {.name = "chinese_wizard_open", USAGE, .wizards = kChineseWizard, .closed = kChineseWizard},
        {.name = "both_open_only_the_english_one", USAGE, .wizards = kEnglishWizard | kChineseWizard,
         .closed = kEnglishWizard},
        {.name = "chinese_wizard_hung", USAGE, .wizards = kChineseWizard, .hung = 1},
    };
    RunCases(drvplant, cases, COUNT(cases));
}

// Under code page 932 the name's second byte is 0x5C; it must not split the path.
void JapaneseCases(const wchar_t *drvplant)
{
    const Case cases[] = {
        {.name = "a_trail_byte_0x5c_is_no_separator", .program = JAPANESE,
         .commandLine = JAPANESE L" test.inf ROOT\\DRVPLANT_TEST", ELSEWHERE, FORCED},
    };
    RunCases(drvplant, cases, COUNT(cases));
}

// The x86 exe of the release archive, as setups call it: on 64-bit Windows the x64 exe
// beside it does the run, with the caller's command line, folder and output; on 32-bit
// Windows (the group runs again as winxp) and without x64\ the x86 exe does it itself.
void HandoffCases(const wchar_t *drvplant)
{
    const Case cases[] = {
        {.name = "forced_by_full_path_from_another_folder", RUN(ARCHIVE L"\\x86", L"..\\test.inf ROOT\\DRVPLANT_TEST"),
         ELSEWHERE, FORCED, .doer = kNativeExe},
        {.name = "forced_by_bare_name_from_its_folder", .program = ARCHIVE L"\\x86\\drvplant.exe",
         .commandLine = L"drvplant ..\\test.inf ROOT\\DRVPLANT_TEST", .directory = ARCHIVE L"\\x86", FORCED,
         .doer = kNativeExe},
        {.name = "pre_installed_from_another_folder",
         RUN(ARCHIVE L"\\x86", L"..\\test.inf ROOT\\DRVPLANT_ABSENT"), ELSEWHERE, PRE_INSTALLED},
        {.name = "usage_error", .program = ARCHIVE L"\\x86\\drvplant.exe", USAGE},
        {.name = "without_x64_runs_itself", RUN(ALONE L"\\x86", L"..\\test.inf ROOT\\DRVPLANT_TEST"), ELSEWHERE,
         FORCED, .doer = kX86Exe},
        // Element 0 as the caller wrote it, blanks and quotes included.
        {.name = "recorder_handed_the_callers_line", .program = RECORDED L"\\x86\\drvplant.exe",
         .commandLine = L"\"C:\\recorded\\x86\\drvplant.exe\"  ..\\test.inf \"ROOT\\DRVPLANT_TEST\" more",
         ELSEWHERE, .recorded = L"0", .tail = "recorder ran\r\n", .landed = kNothing},
        {.name = "recorder_status_3010_comes_back", RUN(RECORDED L"\\x86", L"..\\test.inf ROOT\\DRVPLANT_TEST"),
         .recorded = L"3010", .tail = "recorder ran\r\n", .status = 3010, .landed = kNothing},
    };
    PrepareArchive(drvplant);
    RunCases(drvplant, cases, COUNT(cases));
}
