#include "unit.h"

#include "creator/creator.h"

#include <algorithm>

static const std::string kFoundWalk = SearchLine("ROOT\\SAMPLEDEV") + CompareLine("PCI\\VEN_8086") +
                                      CompareLine("root\\sampledev") + FoundLine("ROOT\\SAMPLEDEV");
static const std::string kAbsentWalk = SearchLine("ROOT\\ABSENT") + CompareLine("PCI\\VEN_8086") +
                                       CompareLine("root\\sampledev") + CompareLine("ROOT\\OTHER") +
                                       ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS);
static const std::vector<std::string> kForcing = {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"};
static const std::vector<std::string> kPreInstalling = {kProgram, "dev.inf", "ROOT\\ABSENT"};
static const Fault kCopyFails = {Op::SetupCopyOEMInfW, 0, 0xE0000000};
static const std::string kSampleInstance = "ROOT\\SAMPLEDEV\\0000";
// The device drvcreate makes: a root-enumerated one of dev.inf's class.
static const std::string kMadeInstance = "ROOT\\SYSTEM\\0000";

// The usual devices, the sample one with this status and problem.
static std::vector<Device> SampleDevice(ULONG status, ULONG problem)
{
    std::vector<Device> devices = UsualMachine().devices;
    devices[1] = WithStatus(devices[1], status, problem, kSampleInstance);
    return devices;
}

enum Installed { kNone, kForced, kCopied, kBoxShown };
// What became of the device that drvcreate made, if it made one.
enum Made { kNoneMade, kMadeAndForced, kMadeAndTakenBack, kMadeAndLeft };

// Single faults that change no more than one call's result are the fault matrix's; these
// are whole situations.
struct InstallCase {
    const char *name;
    std::vector<std::string> args = kForcing; // as the ANSI conversion gives them
    std::vector<std::u16string> wideArgs = {}; // as the command line holds them
    std::u16string infPath = kInfPath;         // where INF_File is, and what both installations get
    std::map<std::u16string, std::string> files = {}; // beside the INF
    std::vector<std::u16string> windows = {};
    std::set<std::u16string> hung = {};
    std::vector<Fault> faults = {};
    BOOL rebootRequired = FALSE;
    bool stationVisible = true;
    bool publisherUntrusted = false;
    std::string out;
    int status;
    Installed installed = kNone;
    std::vector<std::u16string> closed = {};
    DWORD flags = INSTALLFLAG_FORCE; // of a forced update
    size_t prompts = 0;              // Windows' own, answered by the person who sees them
    std::vector<Device> devices = UsualMachine().devices;
    bool installsPending = false;
    DWORD installWait = 0; // how long the run waited for them
    Made made = kNoneMade;
    bool infUnreadable = false;
    std::string inf = kDevInf; // INF_File's bytes
};

static World WorldFor(const InstallCase &c)
{
    World w = UsualMachine();
    w.args = c.args;
    w.wideArgs = c.wideArgs;
    w.files.insert(c.files.begin(), c.files.end());
    w.files[c.infPath] = c.inf;
    if (c.infUnreadable)
        w.unreadable.insert(c.infPath);
    w.windows = c.windows;
    w.hung = c.hung;
    w.faults = c.faults;
    w.rebootRequired = c.rebootRequired;
    w.stationVisible = c.stationVisible;
    w.publisherUntrusted = c.publisherUntrusted;
    w.devices = c.devices;
    w.installsPending = c.installsPending;
    return w;
}

PRINTS_AS_NAME(InstallCase)

static const InstallCase kInstallCases[] = {
    {.name = "no_argument", .args = {kProgram}, .out = kUsage, .status = 2},
    {.name = "one_argument", .args = {kProgram, "dev.inf"}, .out = kUsage, .status = 2},
    {.name = "three_arguments", .args = {kProgram, "dev.inf", "ROOT\\SAMPLEDEV", "x"},
     .out = kUsage, .status = 2},
    {.name = "empty_command_line", .args = {}, .out = kUsage, .status = 2},
    {.name = "inf_path_names_nothing", .args = {kProgram, "other.inf", "ROOT\\SAMPLEDEV"},
     .out = std::string("  File not found.\r\n") + kUsage, .status = 2},
    {.name = "inf_path_too_long", .args = {kProgram, std::string(1100, 'a'), "ROOT\\SAMPLEDEV"},
     .out = kUsage, .status = 2},
    {.name = "forced_onto_the_present_device", .out = kFoundWalk + kSuccess, .status = 0,
     .installed = kForced},
    {.name = "forced_and_a_restart_is_needed", .rebootRequired = TRUE,
     .out = kFoundWalk + kSuccess + "(Reboot Required)\r\n", .status = 1, .installed = kForced},
    // How the forced devices are afterwards: a problem fails the install with its line, a
    // restart is asked for, a device a person disabled stays so, other devices do not count.
    {.name = "forced_device_refused_the_driver", .out = kFoundWalk + kSampleInstance + " FAILURE: Code 52\r\n",
     .status = 2, .installed = kForced, .devices = SampleDevice(DN_HAS_PROBLEM, 52)},
    {.name = "forced_device_waits_for_a_restart", .out = kFoundWalk + kSuccess + "(Reboot Required)\r\n",
     .status = 1, .installed = kForced, .devices = SampleDevice(DN_HAS_PROBLEM, CM_PROB_NEED_RESTART)},
    {.name = "forced_device_needs_a_restart", .out = kFoundWalk + kSuccess + "(Reboot Required)\r\n",
     .status = 1, .installed = kForced, .devices = SampleDevice(DN_STARTED | DN_NEED_RESTART, 0)},
    {.name = "forced_device_disabled", .out = kFoundWalk + kSuccess, .status = 0, .installed = kForced,
     .devices = SampleDevice(DN_HAS_PROBLEM, CM_PROB_DISABLED)},
    {.name = "forced_restart_asked_but_a_device_cannot_start", .rebootRequired = TRUE,
     .out = kFoundWalk + kSampleInstance + " FAILURE: Code 10\r\n", .status = 2, .installed = kForced,
     .devices = SampleDevice(DN_HAS_PROBLEM, 10)},
    {.name = "forced_one_device_fails_the_next_waits_for_a_restart",
     .out = kFoundWalk + kSampleInstance + " FAILURE: Code 28\r\n", .status = 2, .installed = kForced,
     .devices = {UsualMachine().devices[0], SampleDevice(DN_HAS_PROBLEM, 28)[1],
                 WithStatus(Ids({"ROOT\\SAMPLEDEV"}), DN_HAS_PROBLEM, CM_PROB_NEED_RESTART, "ROOT\\SAMPLEDEV\\0001")}},
    {.name = "forced_another_device_has_a_problem", .out = kFoundWalk + kSuccess, .status = 0,
     .installed = kForced,
     .devices = {WithStatus(Ids({"PCI\\VEN_8086"}), DN_HAS_PROBLEM, 43, "PCI\\0"), UsualMachine().devices[1]}},
    {.name = "forced_device_without_its_instance_id",
     .faults = {{Op::SetupDiGetDeviceInstanceIdA, 0, ERROR_INVALID_HANDLE}},
     .out = kFoundWalk + "ROOT\\SAMPLEDEV FAILURE: Code 31\r\n", .status = 2, .installed = kForced,
     .devices = SampleDevice(DN_HAS_PROBLEM, 31)},
    {.name = "forced_device_status_unreadable", .faults = {{Op::CM_Get_DevNode_Status, 0, ERROR_SUCCESS}},
     .out = kFoundWalk + kSuccess, .status = 0, .installed = kForced, .devices = SampleDevice(DN_HAS_PROBLEM, 10)},
    {.name = "forced_installations_still_pending_after_the_wait",
     .out = kFoundWalk + kSampleInstance + " FAILURE: Code 39\r\n", .status = 2, .installed = kForced,
     .devices = SampleDevice(DN_HAS_PROBLEM, 39), .installsPending = true, .installWait = 60000},
    {.name = "forced_update_denied",
     .faults = {{Op::UpdateDriverForPlugAndPlayDevicesW, 0, ERROR_ACCESS_DENIED}},
     .out = kFoundWalk + ReportLine(kForceLabel, ERROR_ACCESS_DENIED), .status = 2},
    {.name = "absent_device_inf_pre_installed", .args = kPreInstalling,
     .out = kAbsentWalk + kSuccess, .status = 0, .installed = kCopied},
    {.name = "english_wizard_closed_before_the_usage_line", .args = {kProgram},
     .windows = {u"Other", kEnglishWizard}, .out = kUsage, .status = 2, .closed = {kEnglishWizard}},
    {.name = "chinese_wizard_closed", .windows = {kChineseWizard}, .out = kFoundWalk + kSuccess,
     .status = 0, .installed = kForced, .closed = {kChineseWizard}},
    {.name = "both_wizards_only_the_english_one", .args = {kProgram},
     .windows = {kChineseWizard, kEnglishWizard}, .out = kUsage, .status = 2,
     .closed = {kEnglishWizard}},
    {.name = "other_windows_are_left_alone", .args = {kProgram},
     .windows = {u"Found New Hardware", u"Wizard"}, .out = kUsage, .status = 2},
    // It may have stopped answering only just now: the wait is bounded, and the run goes on.
    {.name = "hung_wizard_waited_for_within_bounds", .args = {kProgram}, .windows = {kEnglishWizard},
     .hung = {kEnglishWizard}, .out = kUsage, .status = 2},
    // Where nobody can see the box it would wait for ever: the line goes to the log.
    {.name = "failed_pre_installation_where_nobody_sees_a_box", .args = kPreInstalling,
     .faults = {kCopyFails}, .stationVisible = false,
     .out = kAbsentWalk + "Error-Install Driver Failed!\r\n", .status = 2, .installed = kNone},
    {.name = "forced_where_nobody_sees_a_box", .stationVisible = false, .out = kFoundWalk + kSuccess,
     .status = 0, .installed = kForced, .flags = INSTALLFLAG_FORCE | INSTALLFLAG_NONINTERACTIVE},
    {.name = "forced_from_a_bare_name", .args = {"drvplant", "dev.inf", "ROOT\\SAMPLEDEV"},
     .out = kFoundWalk + kSuccess, .status = 0, .installed = kForced},
    {.name = "pre_installed_from_a_bare_name", .args = {"drvplant", "dev.inf", "ROOT\\ABSENT"},
     .out = kAbsentWalk + kSuccess, .status = 0, .installed = kCopied},
    // Code page 1252 holds no such name: the ANSI vector has question marks.
    {.name = "a_folder_the_ansi_code_page_cannot_hold",
     .args = {"C:\\Users\\???????\\setup\\drvplant.exe", "dev.inf", "ROOT\\ABSENT"},
     .wideArgs = {u"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup\\drvplant.exe", u"dev.inf",
                  u"ROOT\\ABSENT"},
     .infPath = u"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup\\dev.inf",
     .out = kAbsentWalk + kSuccess, .status = 0, .installed = kCopied},
    // Best fit turns the folder into one that anybody may make, with an INF of their own.
    {.name = "best_fit_look_alike_folder_is_not_taken",
     .args = {"C:\\Lukasz\\s\\drvplant.exe", "dev.inf", "ROOT\\SAMPLEDEV"},
     .wideArgs = {u"C:\\\u0141ukasz\\s\\drvplant.exe", u"dev.inf", u"ROOT\\SAMPLEDEV"},
     .infPath = u"C:\\\u0141ukasz\\s\\dev.inf", .files = {{u"C:\\Lukasz\\s\\dev.inf", "decoy"}},
     .out = kFoundWalk + kSuccess, .status = 0, .installed = kForced},
    // A publisher not yet trusted: Windows asks; where nobody can answer, the run fails.
    {.name = "untrusted_publisher_asked_about", .publisherUntrusted = true,
     .out = kFoundWalk + kSuccess, .status = 0, .installed = kForced, .prompts = 1},
    {.name = "untrusted_publisher_where_nobody_answers", .stationVisible = false,
     .publisherUntrusted = true,
     .out = kFoundWalk + ReportLine(kForceLabel, ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED), .status = 2},
    {.name = "untrusted_publisher_not_pre_installed_where_nobody_answers", .args = kPreInstalling,
     .stationVisible = false, .publisherUntrusted = true,
     .out = kAbsentWalk + "Error-Install Driver Failed!\r\n", .status = 2},
    {.name = "pre_installed_where_nobody_sees_a_box", .args = kPreInstalling,
     .stationVisible = false,
     .out = kAbsentWalk + kSuccess, .status = 0, .installed = kCopied},
    {.name = "window_station_unknown_the_box", .args = kPreInstalling,
     .faults = {kCopyFails, {Op::GetProcessWindowStation, 0, ERROR_ACCESS_DENIED}},
     .stationVisible = false, .out = kAbsentWalk, .status = 2, .installed = kBoxShown},
    {.name = "window_station_flags_unreadable_the_box", .args = kPreInstalling,
     .faults = {kCopyFails, {Op::GetUserObjectInformationA, 0, ERROR_ACCESS_DENIED}},
     .stationVisible = false, .out = kAbsentWalk, .status = 2, .installed = kBoxShown},
    // System DLLs that cannot be had: each operation fails with the loader's code.
    {.name = "setupapi_missing_reported_then_no_box_can_help", .faults = LibraryMissing("setupapi"),
     .out = ReportLine(kListDevicesLabel, ERROR_MOD_NOT_FOUND), .status = 2,
     .installed = kBoxShown},
    // Without upper-casing the stored lower-case ID cannot match: pre-installed instead.
    {.name = "user32_missing_wizard_stays_nothing_upper_cased", .windows = {kEnglishWizard},
     .faults = LibraryMissing("user32"),
     .out = SearchLine("ROOT\\SAMPLEDEV") + CompareLine("PCI\\VEN_8086") +
            CompareLine("root\\sampledev") + CompareLine("ROOT\\OTHER") +
            ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS) + kSuccess,
     .status = 0, .installed = kCopied},
    {.name = "user32_missing_and_the_copy_fails_no_box_status_2", .args = kPreInstalling,
     .faults = [] {
         std::vector<Fault> faults = LibraryMissing("user32");
         faults.push_back(kCopyFails);
         return faults;
     }(),
     .out = kAbsentWalk, .status = 2, .installed = kNone},
    {.name = "the_boxs_entry_missing_status_2_all_the_same", .args = kPreInstalling,
     .faults = {kCopyFails, {Op::MessageBoxA, 0, ERROR_PROC_NOT_FOUND}}, .out = kAbsentWalk,
     .status = 2, .installed = kNone},
};

// What a row's run shows, whichever program runs it.
static void CheckRun(const InstallCase &c, ProgramMain *main, decltype(&BrokenInvariants) broken)
{
    World w = WorldFor(c);
    WorldScope scope(w);
    SetLastError(kSentinel);
    int status = RunProgram(main);
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(c.out, w.out);
    EXPECT_EQ(c.closed, w.closed);
    EXPECT_EQ(c.prompts, w.prompts.size());
    EXPECT_EQ(c.installWait, w.installWait);
    EXPECT_EQ(std::vector<std::string>{}, broken(w, status, GetLastError()));
    if (c.installed != kNone) {
        EXPECT_EQ(c.infPath, w.searchedPaths[0]) << "the INF path the existence test judged";
    }

    ASSERT_EQ(c.installed == kForced ? 1u : 0u, w.updates.size());
    if (c.installed == kForced) {
        EXPECT_EQ(Widened(c.args[2]), w.updates[0].hardwareId);
        EXPECT_EQ(c.infPath, w.updates[0].infPath);
        EXPECT_EQ(c.flags, w.updates[0].flags);
    }
    EXPECT_EQ(c.installed == kCopied ? std::vector<std::u16string>{c.infPath} : std::vector<std::u16string>{},
              w.copies);
    ASSERT_EQ(c.installed == kBoxShown ? 1u : 0u, w.boxes.size());
    if (c.installed == kBoxShown) {
        EXPECT_EQ("Error-Install Driver Failed!", w.boxes[0].text);
        EXPECT_EQ("Warning", w.boxes[0].caption);
        EXPECT_EQ(MB_OK, w.boxes[0].type);
    }
    auto made = std::find_if(w.devices.begin(), w.devices.end(), [](const Device &d) { return d.made; });
    ASSERT_EQ(c.made != kNoneMade, made != w.devices.end()) << "whether a device was made";
    if (made != w.devices.end()) {
        EXPECT_EQ(kMadeInstance, made->instanceId);
        EXPECT_EQ(MultiString({c.args[2]}), made->ids) << "the ID alone, as a multi-string";
        EXPECT_EQ(c.made == kMadeAndTakenBack, made->removed);
        EXPECT_EQ(c.made == kMadeAndForced, !made->infPath.empty());
        EXPECT_NE(0u, w.installFlags[(DWORD)(made - w.devices.begin())] & DI_QUIETINSTALL);
    }
}

class InstallMainTest : public testing::TestWithParam<InstallCase> {};

TEST_P(InstallMainTest, PrintsInstallsAndEnds)
{
    CheckRun(GetParam(), InstallMain, BrokenInvariants);
}

INSTANTIATE_TEST_SUITE_P(Table, InstallMainTest, testing::ValuesIn(kInstallCases), RowName());

// drvplant's rows that find the sample device and force the driver onto it, or fail to:
// drvcreate's run is drvplant's there, line for line.
static std::vector<InstallCase> ForcingRows()
{
    std::vector<InstallCase> rows;
    std::copy_if(std::begin(kInstallCases), std::end(kInstallCases), std::back_inserter(rows), [](const InstallCase &c) {
        return c.args.size() == 3 && c.args[2] == "ROOT\\SAMPLEDEV" && c.out.find(kUsage) == std::string::npos &&
               c.installed != kCopied && c.installed != kBoxShown;
    });
    return rows;
}

static const std::vector<std::string> kCreating = {kProgram, "dev.inf", "ROOT\\VIRTUAL"};
static const std::string kVirtualWalk = SearchLine("ROOT\\VIRTUAL") + CompareLine("PCI\\VEN_8086") +
                                        CompareLine("root\\sampledev") + CompareLine("ROOT\\OTHER") +
                                        ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS);
static const std::string kCreated = "Created " + kMadeInstance + "\r\n";
static const Fault kUpdateDenied = {Op::UpdateDriverForPlugAndPlayDevicesW, 0, ERROR_ACCESS_DENIED};

static const InstallCase kCreateCases[] = {
    {.name = "no_argument", .args = {kProgram}, .out = kCreateUsage, .status = 2},
    {.name = "inf_path_names_nothing", .args = {kProgram, "other.inf", "ROOT\\VIRTUAL"},
     .out = std::string("  File not found.\r\n") + kCreateUsage, .status = 2},
    {.name = "created_then_forced", .args = kCreating, .out = kVirtualWalk + kCreated + kSuccess, .status = 0,
     .installed = kForced, .made = kMadeAndForced},
    {.name = "created_then_forced_a_restart_is_needed", .args = kCreating, .rebootRequired = TRUE,
     .out = kVirtualWalk + kCreated + kSuccess + "(Reboot Required)\r\n", .status = 1, .installed = kForced,
     .made = kMadeAndForced},
    {.name = "created_where_nobody_sees_the_run", .args = kCreating, .stationVisible = false,
     .out = kVirtualWalk + kCreated + kSuccess, .status = 0, .installed = kForced,
     .flags = INSTALLFLAG_FORCE | INSTALLFLAG_NONINTERACTIVE, .made = kMadeAndForced},
    // A device made by an earlier run is present: forced again, no second one.
    {.name = "made_device_already_present", .args = kCreating,
     .out = SearchLine("ROOT\\VIRTUAL") + CompareLine("PCI\\VEN_8086") + CompareLine("root\\sampledev") +
            CompareLine("ROOT\\OTHER") + CompareLine("ROOT\\VIRTUAL") + FoundLine("ROOT\\VIRTUAL") + kSuccess,
     .status = 0, .installed = kForced,
     .devices = {UsualMachine().devices[0], UsualMachine().devices[1],
                 WithStatus(Ids({"ROOT\\VIRTUAL"}), DN_DRIVER_LOADED | DN_STARTED, 0, kMadeInstance)}},
    {.name = "registration_fails", .args = kCreating,
     .faults = {{Op::SetupDiCallClassInstaller, 1, ERROR_ACCESS_DENIED}},
     .out = kVirtualWalk + ReportLine(kRegisterLabel, ERROR_ACCESS_DENIED), .status = 2},
    {.name = "forced_update_fails_device_taken_back", .args = kCreating, .faults = {kUpdateDenied},
     .out = kVirtualWalk + kCreated + ReportLine(kForceLabel, ERROR_ACCESS_DENIED), .status = 2,
     .made = kMadeAndTakenBack},
    {.name = "untrusted_publisher_where_nobody_answers_device_taken_back", .args = kCreating,
     .stationVisible = false, .publisherUntrusted = true,
     .out = kVirtualWalk + kCreated + ReportLine(kForceLabel, ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED),
     .status = 2, .made = kMadeAndTakenBack},
    {.name = "forced_update_and_taking_back_fail", .args = kCreating,
     .faults = {kUpdateDenied, {Op::SetupDiCallClassInstaller, 2, ERROR_ACCESS_DENIED}},
     .out = kVirtualWalk + kCreated + ReportLine(kForceLabel, ERROR_ACCESS_DENIED) +
            ReportLine(kTakeBackLabel, ERROR_ACCESS_DENIED),
     .status = 2, .made = kMadeAndLeft},
    // Windows takes no device ID of more than 200 characters.
    {.name = "hardware_id_too_long_for_windows", .args = {kProgram, "dev.inf", "ROOT\\" + std::string(200, 'X')},
     .out = SearchLine("ROOT\\" + std::string(200, 'X')) + CompareLine("PCI\\VEN_8086") + CompareLine("root\\sampledev") +
            CompareLine("ROOT\\OTHER") + ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS) +
            HexReportLine(kWriteIdsLabel, ERROR_INVALID_PARAMETER),
     .status = 2},
    {.name = "class_not_readable_from_the_inf", .args = kCreating,
     .out = kVirtualWalk + ReportLine(kReadClassLabel, ERROR_ACCESS_DENIED), .status = 2, .infUnreadable = true},
    {.name = "inf_names_no_class", .args = kCreating,
     .out = kVirtualWalk + HexReportLine(kNewDeviceLabel, ERROR_INVALID_DEVINST_NAME), .status = 2,
     .inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
    // Without the whole walk, or with a device whose IDs could not be read, a device that
    // carries the ID may have been missed.
    {.name = "a_devices_ids_unreadable_no_device_made", .args = kCreating,
     .faults = {{Op::SetupDiGetDeviceRegistryPropertyA, 1, ERROR_NOT_ENOUGH_MEMORY}},
     .out = SearchLine("ROOT\\VIRTUAL") + ReportLine(kReadIdsLabel, ERROR_NOT_ENOUGH_MEMORY) +
            CompareLine("root\\sampledev") + CompareLine("ROOT\\OTHER") + ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS),
     .status = 2},
    {.name = "search_failed_no_device_made", .args = kCreating,
     .faults = {{Op::SetupDiGetClassDevsA, 0, ERROR_ACCESS_DENIED}},
     .out = ReportLine(kListDevicesLabel, ERROR_ACCESS_DENIED), .status = 2},
};

class CreateMainTest : public testing::TestWithParam<InstallCase> {};

TEST_P(CreateMainTest, PrintsMakesInstallsAndEnds)
{
    CheckRun(GetParam(), CreateMain, BrokenCreationInvariants);
}

INSTANTIATE_TEST_SUITE_P(DrvplantRows, CreateMainTest, testing::ValuesIn(ForcingRows()), RowName());
INSTANTIATE_TEST_SUITE_P(Table, CreateMainTest, testing::ValuesIn(kCreateCases), RowName());

// The second run finds the device the first one made, and forces the driver onto it again.
TEST(CreateMain, SecondRunMakesNoSecondDevice)
{
    World w = UsualMachine();
    w.args = kCreating;
    WorldScope scope(w);
    ASSERT_EQ(kInstalled, RunProgram(CreateMain));
    w.out.clear();
    EXPECT_EQ(kInstalled, RunProgram(CreateMain));
    EXPECT_EQ(CompareLine("ROOT\\VIRTUAL") + FoundLine("ROOT\\VIRTUAL") + kSuccess,
              w.out.substr(w.out.find(CompareLine("ROOT\\VIRTUAL"))));
    EXPECT_EQ(1, std::count_if(w.devices.begin(), w.devices.end(), [](const Device &d) { return d.made; }));
    EXPECT_EQ(2u, w.updates.size());
}
