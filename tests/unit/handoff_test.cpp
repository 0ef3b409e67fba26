// Both programs on every machine: an emulated or 32-bit exe starts the native one of the
// release archive and ends with its status; where that cannot be had, it does the run.
// The x86 exe on x64 Windows, with and without IsWow64Process2 and with each failure on
// the way, is the fault matrix's (its handed_off scenarios).
#include "unit.h"

#include "remover/remover.h"

static const std::u16string kSetup = u"C:\\setup\\";

// The forced install of the usual machine up to the update.
static const std::string kForcedLines =
    SearchLine("ROOT\\SAMPLEDEV") + CompareLine("PCI\\VEN_8086") + CompareLine("root\\sampledev") +
    FoundLine("ROOT\\SAMPLEDEV");

struct HandoffCase {
    const char *name;
    ProgramMain *main = InstallMain;
    DWORD exeMachine = IMAGE_FILE_MACHINE_I386, nativeMachine = IMAGE_FILE_MACHINE_AMD64;
    std::u16string image = u"x86\\drvplant.exe";   // under kSetup
    std::set<std::u16string> exes = {u"x64\\drvplant.exe"}; // under kSetup: images there
    std::u16string commandLine = u"";              // the caller's; the usual one when empty
    DWORD startedStatus = 1;
    std::u16string started = u"x64\\drvplant.exe"; // under kSetup; empty: none
    std::string out = "";
    int status = 1;
};
PRINTS_AS_NAME(HandoffCase)

static const HandoffCase kHandoffCases[] = {
    {.name = "x86_on_arm64_starts_arm64", .nativeMachine = IMAGE_FILE_MACHINE_ARM64,
     .exes = {u"x64\\drvplant.exe", u"arm64\\drvplant.exe"}, .started = u"arm64\\drvplant.exe"},
    // Emulated x64 cannot install either: only the native machine's exe counts.
    {.name = "x64_on_arm64_starts_arm64", .exeMachine = IMAGE_FILE_MACHINE_AMD64,
     .nativeMachine = IMAGE_FILE_MACHINE_ARM64, .image = u"x64\\drvplant.exe", .exes = {u"arm64\\drvplant.exe"},
     .started = u"arm64\\drvplant.exe"},
    {.name = "renamed_copy_starts_its_namesake", .image = u"x86\\setup-driver.exe",
     .exes = {u"x64\\setup-driver.exe", u"x64\\drvplant.exe"}, .started = u"x64\\setup-driver.exe"},
    // Element 0 is the caller's, not the image's path: INF_File is found beside it.
    {.name = "callers_command_line_passed_unchanged",
     .commandLine = u"x86\\drvplant.exe  \"dev.inf\" ROOT\\SAMPLEDEV extra"},
    {.name = "x86_on_x86_runs_itself", .nativeMachine = IMAGE_FILE_MACHINE_I386, .started = u"",
     .out = kForcedLines + kSuccess, .status = 0},
    {.name = "x64_on_x64_runs_itself", .exeMachine = IMAGE_FILE_MACHINE_AMD64, .image = u"x64\\drvplant.exe",
     .exes = {u"x86\\drvplant.exe"}, .started = u"", .out = kForcedLines + kSuccess, .status = 0},
    {.name = "without_native_folder_runs_itself", .exes = {u"arm64\\drvplant.exe"}, .started = u"",
     .out = kForcedLines + ReportLine(kForceLabel, ERROR_IN_WOW64), .status = 2},
    // An x86 build put in x64\ by mistake must not start itself again and again.
    {.name = "build_in_the_native_folder_runs_itself", .image = u"X64\\drvplant.exe", .started = u"",
     .out = kForcedLines + ReportLine(kForceLabel, ERROR_IN_WOW64), .status = 2},
    {.name = "no_folder_above_runs_itself", .image = u"drvplant.exe", .started = u"",
     .out = kForcedLines + ReportLine(kForceLabel, ERROR_IN_WOW64), .status = 2},
    {.name = "removal_restart_status_returned", .main = RemoveMain, .image = u"x86\\drvremove.exe",
     .exes = {u"x64\\drvremove.exe"}, .startedStatus = 3010, .started = u"x64\\drvremove.exe", .status = 3010},
    {.name = "removal_failure_code_returned", .main = RemoveMain, .image = u"x86\\drvremove.exe",
     .exes = {u"x64\\drvremove.exe"}, .startedStatus = ERROR_INF_IN_USE_BY_DEVICES,
     .started = u"x64\\drvremove.exe", .status = (int)ERROR_INF_IN_USE_BY_DEVICES},
    {.name = "removal_without_native_exe_runs_itself", .main = RemoveMain, .image = u"x86\\drvremove.exe",
     .exes = {}, .started = u"", .out = ReportLine("oem3.inf", ERROR_IN_WOW64), .status = (int)ERROR_IN_WOW64},
};

class HandoffTest : public testing::TestWithParam<HandoffCase> {};

TEST_P(HandoffTest, StartsTheNativeExeOrRunsItself)
{
    const HandoffCase &c = GetParam();
    World w = UsualMachine();
    std::u16string program = kSetup + c.image;
    w.args = {std::string(program.begin(), program.end()), "dev.inf"};
    if (c.main == InstallMain)
        w.args.push_back("ROOT\\SAMPLEDEV");
    w.commandLine = c.commandLine;
    w.exeMachine = c.exeMachine;
    w.nativeMachine = c.nativeMachine;
    w.imagePath = program;
    w.files[program.substr(0, program.rfind(u'\\') + 1) + u"dev.inf"] = kDevInf;
    for (const std::u16string &exe : c.exes)
        w.files[kSetup + exe] = "MZ";
    // The removal finds a forced install's copy, in use by its device.
    w.files[kInfFolder + u"oem3.inf"] = kDevInf;
    w.devices[1].infPath = u"oem3.inf";
    w.driverUninstallKnown = true;
    w.startedStatus = c.startedStatus;
    WorldScope scope(w);
    SetLastError(kSentinel);
    int status = RunProgram(c.main);
    EXPECT_EQ(c.out, w.out);
    EXPECT_EQ(c.status, status);
    ASSERT_EQ(c.started.empty() ? 0u : 1u, w.started.size());
    if (!c.started.empty()) {
        EXPECT_EQ(kSetup + c.started, w.started[0].application);
        EXPECT_EQ(c.commandLine.empty() ? Widened(w.args[0] + " dev.inf" + (w.args.size() > 2 ? " ROOT\\SAMPLEDEV" : ""))
                                        : c.commandLine,
                  w.started[0].commandLine);
    }
    DWORD lastError = GetLastError();
    EXPECT_EQ(std::vector<std::string>{},
              c.main == InstallMain ? BrokenInvariants(w, status, lastError) : BrokenRemovalInvariants(w, status, lastError));
}

INSTANTIATE_TEST_SUITE_P(Table, HandoffTest, testing::ValuesIn(kHandoffCases), RowName());
