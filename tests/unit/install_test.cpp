#include "tests/support/machine.h"
#include "unit.h"

static const std::string kFoundWalk = "Search for Device ID: [ROOT\\SAMPLEDEV]\r\n"
                                      "Compare device ID: [PCI\\VEN_8086]\r\n"
                                      "Compare device ID: [root\\sampledev]\r\n"
                                      "Found! [ROOT\\SAMPLEDEV]\r\n";
static const std::string kAbsentWalk = "Search for Device ID: [ROOT\\ABSENT]\r\n"
                                       "Compare device ID: [PCI\\VEN_8086]\r\n"
                                       "Compare device ID: [root\\sampledev]\r\n"
                                       "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n";

enum Installed { kNone, kForced, kCopied, kBoxShown };

struct InstallCase {
    const char *name;
    std::vector<std::string> args;
    std::vector<std::string> windows;
    std::vector<Fault> faults;
    BOOL rebootRequired;
    std::string out;
    int status;
    Installed installed;
    std::vector<std::string> closed;
    bool stationVisible = true;
};

// The machine every case starts from: the INF beside the program, two devices.
static World Machine(const InstallCase &c)
{
    World w;
    w.args = c.args;
    w.windows = c.windows;
    w.faults = c.faults;
    w.rebootRequired = c.rebootRequired;
    w.stationVisible = c.stationVisible;
    w.files = {kInf};
    w.devices = {Ids({"PCI\\VEN_8086"}), Ids({"root\\sampledev"})};
    return w;
}

PRINTS_AS_NAME(InstallCase)

static const InstallCase kInstallCases[] = {
    {"no_argument", {kProgram}, {}, {}, FALSE, kUsage, 2, kNone, {}},
    {"one_argument", {kProgram, "dev.inf"}, {}, {}, FALSE, kUsage, 2, kNone, {}},
    {"three_arguments", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV", "x"}, {}, {}, FALSE, kUsage, 2,
     kNone, {}},
    {"empty_command_line", {}, {}, {}, FALSE, kUsage, 2, kNone, {}},
    {"inf_path_names_nothing", {kProgram, "other.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
     std::string("  File not found.\r\n") + kUsage, 2, kNone, {}},
    {"inf_path_unreadable", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     {{Op::FindFirstFile, 0, ERROR_ACCESS_DENIED}}, FALSE,
     std::string("  File not found.\r\n") + kUsage, 2, kNone, {}},
    {"inf_path_too_long", {kProgram, std::string(1100, 'a'), "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
     kUsage, 2, kNone, {}},
    {"forced_onto_the_present_device", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
     kFoundWalk + kSuccess, 0, kForced, {}},
    {"forced_and_a_restart_is_needed", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, TRUE,
     kFoundWalk + kSuccess + "(Reboot Required)\r\n", 1, kForced, {}},
    {"forced_update_refused_by_a_32_bit_process_on_64_bit_windows",
     {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {{Op::UpdateDriver, 0, 0xE0000235}}, FALSE,
     kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: (0xe0000235)\r\n", 2, kForced, {}},
    {"forced_update_denied", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     {{Op::UpdateDriver, 0, ERROR_ACCESS_DENIED}}, TRUE,
     kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: Access is denied.\r\r\n\r\n", 2,
     kForced, {}},
    {"absent_device_inf_pre_installed", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {}, {}, TRUE,
     kAbsentWalk + kSuccess, 0, kCopied, {}},
    {"pre_installation_fails", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
     {{Op::CopyOEMInf, 0, 0xE0000000}}, FALSE, kAbsentWalk, 2, kBoxShown, {}},
    {"a_failed_search_reads_as_absence", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     {{Op::GetClassDevs, 0, ERROR_NOT_ENOUGH_MEMORY}}, FALSE,
     "GetClassDevs(All Present Devices) FAILURE: Not enough memory resources are available to "
     "process this command.\r\r\n\r\n" + std::string(kSuccess),
     0, kCopied, {}},
    {"no_standard_output_still_forced", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     {{Op::Print, 0, ERROR_INVALID_HANDLE}}, FALSE, "", 0, kForced, {}},
    {"english_wizard_closed_before_the_usage_line", {kProgram}, {"Other", kEnglishWizard}, {}, FALSE,
     kUsage, 2, kNone, {kEnglishWizard}},
    {"chinese_wizard_closed", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {kChineseWizard}, {}, FALSE,
     kFoundWalk + kSuccess, 0, kForced, {kChineseWizard}},
    {"both_wizards_only_the_english_one", {kProgram}, {kChineseWizard, kEnglishWizard}, {},
     FALSE, kUsage, 2, kNone, {kEnglishWizard}},
    {"other_windows_are_left_alone", {kProgram}, {"Found New Hardware", "Wizard"}, {}, FALSE,
     kUsage, 2, kNone, {}},
    // Where nobody can see the box it would wait for ever: the line goes to the log.
    {"failed_pre_installation_where_nobody_sees_a_box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
     {{Op::CopyOEMInf, 0, 0xE0000000}}, FALSE, kAbsentWalk + "Error-Install Driver Failed!\r\n",
     2, kCopied, {}, false},
    {"forced_where_nobody_sees_a_box", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
     kFoundWalk + kSuccess, 0, kForced, {}, false},
    {"pre_installed_where_nobody_sees_a_box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {}, {},
     FALSE, kAbsentWalk + kSuccess, 0, kCopied, {}, false},
    {"window_station_unknown_the_box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
     {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::WindowStation, 0, ERROR_ACCESS_DENIED}}, FALSE,
     kAbsentWalk, 2, kBoxShown, {}, false},
    {"window_station_flags_unreadable_the_box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
     {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::StationFlags, 0, ERROR_ACCESS_DENIED}}, FALSE,
     kAbsentWalk, 2, kBoxShown, {}, false},
    // System DLLs that cannot be had: each operation fails with the loader's code.
    {"setupapi_missing_reported_then_no_box_can_help", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"},
     {}, LibraryMissing("setupapi"), FALSE,
     "GetClassDevs(All Present Devices) FAILURE: The specified module could not be "
     "found.\r\r\n\r\n",
     2, kBoxShown, {}},
    {"newdev_missing_the_forced_update_fails", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     LibraryMissing("newdev"), FALSE,
     kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: The specified module could not be "
                  "found.\r\r\n\r\n",
     2, kForced, {}},
    {"newdevs_entry_missing", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
     {{Op::UpdateDriver, 0, ERROR_PROC_NOT_FOUND}}, FALSE,
     kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: The specified procedure could not "
                  "be found.\r\r\n\r\n",
     2, kForced, {}},
    // Without upper-casing the stored lower-case ID cannot match: pre-installed instead.
    {"user32_missing_wizard_stays_nothing_upper_cased", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"},
     {kEnglishWizard}, LibraryMissing("user32"), FALSE,
     "Search for Device ID: [ROOT\\SAMPLEDEV]\r\n"
     "Compare device ID: [PCI\\VEN_8086]\r\n"
     "Compare device ID: [root\\sampledev]\r\n"
     "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n" + std::string(kSuccess),
     0, kCopied, {}},
    {"user32_missing_and_the_copy_fails_no_box_status_2", {kProgram, "dev.inf", "ROOT\\ABSENT"},
     {}, [] {
         std::vector<Fault> faults = LibraryMissing("user32");
         faults.push_back({Op::CopyOEMInf, 0, 0xE0000000});
         return faults;
     }(),
     FALSE, kAbsentWalk, 2, kCopied, {}},
    {"the_boxs_entry_missing_status_2_all_the_same", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
     {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::MessageBox, 0, ERROR_PROC_NOT_FOUND}}, FALSE,
     kAbsentWalk, 2, kCopied, {}},
};

class InstallMainTest : public testing::TestWithParam<InstallCase> {};

TEST_P(InstallMainTest, PrintsInstallsAndEnds)
{
    const InstallCase &c = GetParam();
    World w = Machine(c);
    WorldScope scope(w);
    EXPECT_EQ(c.status, InstallMain(NULL, NULL, NULL, 0));
    EXPECT_EQ(c.out, w.out);
    EXPECT_EQ(c.closed, w.closed);
    ExpectReleased(w);

    ASSERT_EQ(c.installed == kForced ? 1u : 0u, w.updates.size());
    if (c.installed == kForced) {
        EXPECT_EQ(u"ROOT\\SAMPLEDEV", w.updates[0].hardwareId);
        EXPECT_EQ(kInf, w.updates[0].infPath);
        EXPECT_EQ((DWORD)INSTALLFLAG_FORCE, w.updates[0].flags);
    }
    bool copied = c.installed == kCopied || c.installed == kBoxShown;
    EXPECT_EQ(copied ? std::vector<std::u16string>{kInf} : std::vector<std::u16string>{}, w.copies);
    ASSERT_EQ(c.installed == kBoxShown ? 1u : 0u, w.boxes.size());
    if (c.installed == kBoxShown) {
        EXPECT_EQ("Error-Install Driver Failed!", w.boxes[0].text);
        EXPECT_EQ("Warning", w.boxes[0].caption);
        EXPECT_EQ(MB_OK, w.boxes[0].type);
        EXPECT_EQ(c.out, w.boxes[0].outputDelivered) << "lines held back behind the box";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, InstallMainTest, testing::ValuesIn(kInstallCases), RowName());

struct PathRunCase {
    const char *name;
    std::string program;         // as the ANSI conversion gives it
    std::u16string wideProgram;  // as the command line holds it
    std::string infFile;
    std::set<std::u16string> files;
    std::u16string searched; // what the file search was asked for
    int status;
};

PRINTS_AS_NAME(PathRunCase)

// The INF path that the file search judges is the one both installations receive.

static const PathRunCase kPathRunCases[] = {
    {"program_named_without_a_directory", "drvplant", u"drvplant", "dev.inf", {u"dev.inf"},
     u"dev.inf", 0},
    {"forward_slashes", "C:/tools/drvplant.exe", u"C:/tools/drvplant.exe", "dev.inf", {kInf},
     u"dev.inf", 2},
    {"absolute_inf_after_the_directory", kProgram, u"C:\\tools\\drvplant.exe", "D:\\dev.inf",
     {u"D:\\dev.inf"}, u"C:\\tools\\D:\\dev.inf", 2},
    {"inf_in_a_sub_directory", kProgram, u"C:\\tools\\drvplant.exe", "sub\\dev.inf",
     {u"C:\\tools\\sub\\dev.inf"}, u"C:\\tools\\sub\\dev.inf", 0},
    // Code page 1252 holds neither name: the ANSI vector has question marks.
    {"a_folder_the_ansi_code_page_cannot_hold", "C:\\Users\\???????\\setup\\drvplant.exe",
     u"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup\\drvplant.exe", "dev.inf",
     {u"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup\\dev.inf"},
     u"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup\\dev.inf", 0},
    // Best fit turns the folder into one that anybody may make, with an INF of their own.
    {"best_fit_look_alike_folder_is_not_taken", "C:\\Lukasz\\s\\drvplant.exe",
     u"C:\\\u0141ukasz\\s\\drvplant.exe", "dev.inf",
     {u"C:\\Lukasz\\s\\dev.inf", u"C:\\\u0141ukasz\\s\\dev.inf"}, u"C:\\\u0141ukasz\\s\\dev.inf", 0},
};

class InfPathTest : public testing::TestWithParam<PathRunCase> {};

TEST_P(InfPathTest, IsWhatBothInstallationsReceive)
{
    const PathRunCase &c = GetParam();
    World w;
    w.args = {c.program, c.infFile, "ROOT\\ABSENT"};
    w.wideArgs = {c.wideProgram, Widened(c.infFile), u"ROOT\\ABSENT"};
    w.files = c.files;
    WorldScope scope(w);
    EXPECT_EQ(c.status, InstallMain(NULL, NULL, NULL, 0));
    EXPECT_EQ(std::vector<std::u16string>{c.searched}, w.searchedPaths);
    EXPECT_EQ(c.status == 0 ? std::vector<std::u16string>{c.searched} : std::vector<std::u16string>{},
              w.copies);
}

INSTANTIATE_TEST_SUITE_P(Table, InfPathTest, testing::ValuesIn(kPathRunCases), RowName());
