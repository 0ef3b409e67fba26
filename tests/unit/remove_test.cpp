#include "unit.h"

#include "remover/remover.h"

// The same package's next version.
static const std::string kNextVersion =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\n"
    "Provider=Contoso\r\nDriverVer=01/07/2027,2.0.0.0\r\n";
static const std::string kOtherVendor =
    "[Version]\r\nClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\nProvider=Fabrikam\r\n";
static const std::u16string kOem3 = kInfFolder + u"oem3.inf", kOem4 = kInfFolder + u"oem4.inf",
                            kOem7 = kInfFolder + u"oem7.inf";
static const char kRemoveUsage[] = "usage: drvremove <INF_File> [/every-version] [/force | /list]\r\n";
static const Device kUsingOem3 = {true, MultiString({"ROOT\\SAMPLEDEV"}), std::nullopt, true, u"oem3.inf"};
// Installed from oem3.inf, of an enumerator other than ROOT, or only one that starts alike.
static Device Oem3Device(const char *instanceId, const char *infPath = "oem3.inf")
{
    return {true, MultiString({"PCI\\VEN_8086&DEV_1234"}), std::nullopt, true, Widened(infPath), false,
            DN_DRIVER_LOADED | DN_STARTED, 0, instanceId};
}
static const Device kPciOem3 = Oem3Device("PCI\\VEN_8086&DEV_1234\\3&11583659&0&10");

static std::string Removed(const char *name) { return std::string("Removed ") + name + "\r\n"; }
static std::string Found(const char *name) { return std::string("Found ") + name + "\r\n"; }
// A Windows folder of length units: up to 239 leave room for a copy's name in its inf folder.
static std::u16string WindowsFolderOf(size_t length) { return u"C:\\" + std::u16string(length - 3, u'w'); }

struct RemoveCase {
    const char *name;
    std::string program = kRemover, infFile = "dev.inf";
    std::string inf = kDevInf; // INF_File's bytes
    std::vector<std::string> switches = {};
    std::map<std::u16string, std::string> copies = {{kOem3, kDevInf}, {kOem4, kOtherVendor}};
    std::map<std::u16string, std::u16string> originalNames = {};
    std::vector<Device> devices = {};
    std::set<std::u16string> unreadable = {};
    std::map<std::u16string, std::string> growOnceListed = {};
    std::u16string windowsFolder = u"C:\\Windows";
    bool driverUninstallKnown = false;
    bool packageHeldBySystem = false;
    bool removalNeedsRestart = false;
    bool removedLeaveTheSet = false;
    std::vector<Fault> faults = {};
    std::string out;
    int status = 0;
    std::set<std::u16string> left = {kOem4}; // copies still there afterwards
    size_t devicesRemoved = 0;
    std::vector<Op> removals = {}; // when given: the device walks and removing calls, in order
};
PRINTS_AS_NAME(RemoveCase)

static const RemoveCase kRemoveCases[] = {
    {.name = "pre_installed_copy_removed", .out = Removed("oem3.inf")},
    {.name = "nothing_to_remove", .copies = {{kOem4, kOtherVendor}}, .out = "Nothing to remove.\r\n"},
    // The system's own INFs, and files of the same bytes under other names, are never ours.
    // oem3.info is found by "oem*.inf" through its 8.3 alias OEM3~1.INF; nine digits are
    // more than Windows gives.
    {.name = "only_oem_digits_inf_names",
     .copies = {{kInfFolder + u"dev.inf", kDevInf}, {kInfFolder + u"oemx.inf", kDevInf},
                {kInfFolder + u"oem3.inf.bak", kDevInf}, {u"C:\\tools\\oem3.inf", kDevInf},
                {kInfFolder + u"oem3.info", kDevInf}, {kInfFolder + u"oem123456789.inf", kDevInf}},
     .out = "Nothing to remove.\r\n",
     .left = {kInfFolder + u"dev.inf", kInfFolder + u"oemx.inf", kInfFolder + u"oem3.inf.bak",
              kInfFolder + u"oem3.info", kInfFolder + u"oem123456789.inf"}},
    {.name = "every_copy_of_the_same_bytes", .copies = {{kOem3, kDevInf}, {kOem7, kDevInf}},
     .out = Removed("oem3.inf") + Removed("oem7.inf"), .left = {}},
    // Only root devices: one walk takes them all.
    {.name = "forced_install_removed_with_its_device", .devices = {kUsingOem3},
     .out = Removed("oem3.inf"), .devicesRemoved = 1,
     .removals = {Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller, Op::DiUninstallDriverW,
                  Op::SetupUninstallOEMInfW}},
    // Wine takes each removed device out of the set, and with it its restart request.
    {.name = "removed_devices_leave_the_set", .devices = {kUsingOem3, kUsingOem3, kUsingOem3},
     .removalNeedsRestart = true, .removedLeaveTheSet = true, .out = Removed("oem3.inf"),
     .devicesRemoved = 3},
    {.name = "same_size_other_bytes_left_alone", .copies = {{kOem3, "X" + kDevInf.substr(1)}},
     .out = "Nothing to remove.\r\n", .left = {kOem3}},
    {.name = "a_restart_asked_for", .devices = {kUsingOem3}, .removalNeedsRestart = true,
     .out = Removed("oem3.inf") + "(Reboot Required)\r\n", .status = 3010, .devicesRemoved = 1},
    // Windows 10 1703 and later move the device to its next-best driver: it stays.
    {.name = "driver_uninstall_of_windows_10", .devices = {kPciOem3}, .driverUninstallKnown = true,
     .removalNeedsRestart = true, .out = Removed("oem3.inf") + "(Reboot Required)\r\n", .status = 3010,
     .removals = {Op::SetupDiGetClassDevsA, Op::DiUninstallDriverW}},
    // A root device would stay without a driver: it goes first, on every Windows; on older
    // ones the others after it, in a second walk.
    {.name = "root_device_before_driver_uninstall", .devices = {kPciOem3, kUsingOem3}, .driverUninstallKnown = true,
     .out = Removed("oem3.inf"), .devicesRemoved = 1,
     .removals = {Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller, Op::DiUninstallDriverW}},
    {.name = "root_device_then_the_others_on_older_windows", .devices = {kPciOem3, kUsingOem3},
     .out = Removed("oem3.inf"), .devicesRemoved = 2,
     .removals = {Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller, Op::DiUninstallDriverW,
                  Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller, Op::SetupUninstallOEMInfW}},
    {.name = "root_device_that_stays_keeps_the_copy", .devices = {kUsingOem3}, .driverUninstallKnown = true,
     .faults = {{Op::SetupDiCallClassInstaller, 0, 0xE0000232}}, .out = HexReportLine("oem3.inf", 0xE0000232),
     .status = (int)0xE0000232, .left = {kOem3, kOem4},
     .removals = {Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller}},
    {.name = "root_device_that_stays_forced", .switches = {"/force"}, .devices = {kUsingOem3},
     .driverUninstallKnown = true, .faults = {{Op::SetupDiCallClassInstaller, 0, 0xE0000232}},
     .out = HexReportLine("oem3.inf", 0xE0000232) + Removed("oem3.inf"), .status = (int)0xE0000232,
     .removals = {Op::SetupDiGetClassDevsA, Op::SetupDiCallClassInstaller, Op::DiUninstallDriverW}},
    // What cannot be read is not known to be root: DiUninstallDriverW takes its driver.
    {.name = "unreadable_instance_id_not_root", .devices = {kUsingOem3}, .driverUninstallKnown = true,
     .faults = {{Op::SetupDiGetDeviceInstanceIdA, 0, ERROR_INVALID_HANDLE}}, .out = Removed("oem3.inf"),
     .removals = {Op::SetupDiGetClassDevsA, Op::DiUninstallDriverW}},
    // A device whose driver key cannot be read is not removed; Windows then refuses.
    {.name = "copy_in_use_refused", .devices = {kUsingOem3},
     .faults = {{Op::SetupDiOpenDevRegKey, 0, ERROR_ACCESS_DENIED}},
     .out = HexReportLine("oem3.inf", ERROR_INF_IN_USE_BY_DEVICES),
     .status = (int)ERROR_INF_IN_USE_BY_DEVICES, .left = {kOem3, kOem4}},
    {.name = "copy_in_use_forced", .switches = {"/FORCE"}, .devices = {kUsingOem3},
     .faults = {{Op::SetupDiOpenDevRegKey, 0, ERROR_ACCESS_DENIED}}, .out = Removed("oem3.inf")},
    {.name = "not_elevated", .faults = {{Op::SetupUninstallOEMInfW, 0, ERROR_ACCESS_DENIED}},
     .out = ReportLine("oem3.inf", ERROR_ACCESS_DENIED), .status = 5, .left = {kOem3, kOem4}},
    {.name = "a_32_bit_exe_on_64_bit_windows", .devices = {kUsingOem3},
     .faults = {{Op::SetupDiCallClassInstaller, 0, ERROR_IN_WOW64}},
     .out = HexReportLine("oem3.inf", ERROR_IN_WOW64), .status = (int)ERROR_IN_WOW64,
     .left = {kOem3, kOem4}},
    // Reported and kept; the run goes on with the others.
    {.name = "unreadable_copy_kept", .copies = {{kOem3, kDevInf}, {kOem7, kDevInf}},
     .unreadable = {kOem3}, .out = ReportLine("oem3.inf", ERROR_ACCESS_DENIED) + Removed("oem7.inf"),
     .status = 5, .left = {kOem3}},
    {.name = "copy_grown_while_read_kept", .copies = {{kOem3, kDevInf}, {kOem7, kDevInf}},
     .growOnceListed = {{kOem3, "X"}}, .out = ReportLine("oem3.inf", ERROR_INVALID_DATA) + Removed("oem7.inf"),
     .status = 13, .left = {kOem3}},
    // What was found before the search failed is still taken.
    {.name = "listing_fails_part_way", .copies = {{kOem3, kDevInf}, {kOem4, kOtherVendor}, {kOem7, kDevInf}},
     .faults = {{Op::FindNextFileW, 1, ERROR_ACCESS_DENIED}},
     .out = ReportLine("oem*.inf", ERROR_ACCESS_DENIED) + Removed("oem3.inf"), .status = 5, .left = {kOem4, kOem7}},
    {.name = "inf_unreadable", .unreadable = {kInfPath},
     .out = ReportLine("dev.inf", ERROR_ACCESS_DENIED), .status = 5, .left = {kOem3, kOem4}},
    {.name = "other_versions_left_without_the_switch",
     .copies = {{kOem4, kNextVersion}, {kOem7, kOtherVendor}},
     .originalNames = {{kOem4, u"DEV.INF"}, {kOem7, u"dev.inf"}}, .out = "Nothing to remove.\r\n",
     .left = {kOem4, kOem7}},
    {.name = "every_version_same_name_provider_and_class", .switches = {"/every-version"},
     .copies = {{kOem3, kDevInf}, {kOem4, kNextVersion}, {kOem7, kOtherVendor}},
     .originalNames = {{kOem4, u"DEV.INF"}, {kOem7, u"dev.inf"}},
     .out = Removed("oem3.inf") + Removed("oem4.inf"), .left = {kOem7}},
    {.name = "every_version_not_another_name", .switches = {"/every-version"},
     .copies = {{kOem4, kNextVersion}}, .originalNames = {{kOem4, u"other.inf"}},
     .out = "Nothing to remove.\r\n"},
    {.name = "switches_in_any_case_and_order", .switches = {"/Force", "/EVERY-version"},
     .out = Removed("oem3.inf")},
    {.name = "a_switch_twice", .switches = {"/force", "/Force"}, .out = kRemoveUsage, .status = 87,
     .left = {kOem3, kOem4}},
    {.name = "an_unknown_switch", .switches = {"/quiet"}, .out = kRemoveUsage, .status = 87,
     .left = {kOem3, kOem4}},
    {.name = "inf_path_names_nothing", .infFile = "missing.inf", .copies = {{kOem3, kDevInf}},
     .out = std::string("  File not found.\r\n") + kRemoveUsage, .status = 2, .left = {kOem3}},
    {.name = "an_empty_inf_file", .infFile = "", .copies = {{kOem3, ""}}, .out = kRemoveUsage,
     .status = 87, .left = {kOem3}},
    // Its identity is read from the INF it names, not from Windows' INF of that name.
    {.name = "every_version_by_a_bare_name", .program = "drvremove", .switches = {"/every-version"},
     .copies = {{kOem3, kDevInf}, {kOem4, kNextVersion}, {kInfFolder + u"dev.inf", kOtherVendor}},
     .originalNames = {{kOem4, u"DEV.INF"}}, .out = Removed("oem3.inf") + Removed("oem4.inf"),
     .left = {kInfFolder + u"dev.inf"}},
    {.name = "every_version_without_an_identity", .inf = kDevInf.substr(kDevInf.find("Provider")),
     .switches = {"/every-version"}, .copies = {{kOem3, kDevInf.substr(kDevInf.find("Provider"))}},
     .out = HexReportLine("dev.inf", ERROR_LINE_NOT_FOUND) + Removed("oem3.inf"),
     .status = (int)ERROR_LINE_NOT_FOUND, .left = {}},
    // Windows 10 may hold a package as in use by the system; forcing still takes it.
    {.name = "held_by_the_system", .devices = {kPciOem3}, .driverUninstallKnown = true,
     .packageHeldBySystem = true, .out = HexReportLine("oem3.inf", ERROR_INF_IN_USE_BY_DEVICES),
     .status = (int)ERROR_INF_IN_USE_BY_DEVICES, .left = {kOem3, kOem4}},
    {.name = "held_by_the_system_forced", .switches = {"/force"}, .devices = {kPciOem3},
     .driverUninstallKnown = true, .packageHeldBySystem = true, .out = Removed("oem3.inf")},
    {.name = "forcing_cannot_mend_a_32_bit_process", .switches = {"/force"},
     .driverUninstallKnown = true, .faults = {{Op::DiUninstallDriverW, 0, ERROR_IN_WOW64}},
     .out = HexReportLine("oem3.inf", ERROR_IN_WOW64), .status = (int)ERROR_IN_WOW64,
     .left = {kOem3, kOem4}},
    // Reported, and deciding the status, yet the copy goes.
    {.name = "forced_past_a_device_that_stays", .switches = {"/force"}, .devices = {kUsingOem3},
     .faults = {{Op::SetupDiCallClassInstaller, 0, 0xE0000232}},
     .out = HexReportLine("oem3.inf", 0xE0000232) + Removed("oem3.inf"), .status = (int)0xE0000232},
    // /list: the copies a removal would take, named and left, each followed by its root
    // devices, by instance ID, in any case: not one of another enumerator, another copy's,
    // or one whose ID cannot be read.
    {.name = "list_names_the_copies", .switches = {"/list"},
     .copies = {{kOem3, kDevInf}, {kOem4, kOtherVendor}, {kOem7, kDevInf}},
     .devices = {Oem3Device("root\\sampledev\\0000"), kPciOem3, Oem3Device("ROOTED\\SAMPLEDEV\\1"),
                 Oem3Device("ROOT\\OTHERDEV\\0000", "oem4.inf"), Oem3Device("Root\\Sample\xe9\\2", "oem7.inf")},
     .out = Found("oem3.inf") + Found("root\\sampledev\\0000") + Found("oem7.inf") + Found("Root\\Sample\xe9\\2"),
     .left = {kOem3, kOem4, kOem7}},
    {.name = "list_unreadable_instance_id_not_root", .switches = {"/list"}, .devices = {kUsingOem3},
     .faults = {{Op::SetupDiGetDeviceInstanceIdA, 0, ERROR_INVALID_HANDLE}}, .out = Found("oem3.inf"),
     .left = {kOem3, kOem4}},
    {.name = "list_every_version", .switches = {"/LIST", "/every-version"},
     .copies = {{kOem3, kDevInf}, {kOem4, kNextVersion}, {kOem7, kOtherVendor}},
     .originalNames = {{kOem4, u"DEV.INF"}, {kOem7, u"dev.inf"}}, .out = Found("oem3.inf") + Found("oem4.inf"),
     .left = {kOem3, kOem4, kOem7}},
    {.name = "list_nothing_says_nothing", .switches = {"/list"}, .copies = {{kOem4, kOtherVendor}}, .out = ""},
    {.name = "list_with_force", .switches = {"/list", "/force"}, .out = kRemoveUsage, .status = 87,
     .left = {kOem3, kOem4}},
    {.name = "list_past_an_unreadable_copy", .switches = {"/list"}, .copies = {{kOem3, kDevInf}, {kOem7, kDevInf}},
     .unreadable = {kOem3}, .out = ReportLine("oem3.inf", ERROR_ACCESS_DENIED) + Found("oem7.inf"), .status = 5,
     .left = {kOem3, kOem7}},
    {.name = "list_fails_part_way", .switches = {"/list"},
     .copies = {{kOem3, kDevInf}, {kOem4, kOtherVendor}, {kOem7, kDevInf}},
     .faults = {{Op::FindNextFileW, 1, ERROR_ACCESS_DENIED}},
     .out = ReportLine("oem*.inf", ERROR_ACCESS_DENIED) + Found("oem3.inf"), .status = 5,
     .left = {kOem3, kOem4, kOem7}},
    // Refused before anything is listed where a copy's path would not fit; found where it just does.
    {.name = "windows_folder_leaving_no_room", .switches = {"/list"}, .windowsFolder = WindowsFolderOf(240),
     .out = ReportLine("GetSystemWindowsDirectory", ERROR_INSUFFICIENT_BUFFER), .status = 122,
     .left = {kOem3, kOem4}},
    {.name = "windows_folder_with_just_room", .switches = {"/list"},
     .copies = {{WindowsFolderOf(239) + u"\\inf\\oem12345678.inf", kDevInf}}, .windowsFolder = WindowsFolderOf(239),
     .out = Found("oem12345678.inf"), .left = {}},
};

class RemoveMainTest : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveMainTest, RemovesOnlyThePackagesCopies)
{
    const RemoveCase &c = GetParam();
    World w = UsualMachine();
    w.args = {c.program, c.infFile};
    w.args.insert(w.args.end(), c.switches.begin(), c.switches.end());
    w.files.insert(c.copies.begin(), c.copies.end());
    w.files[kInfPath] = c.inf;
    w.originalNames = c.originalNames;
    w.devices = c.devices;
    w.unreadable = c.unreadable;
    w.growOnceListed = c.growOnceListed;
    w.windowsFolder = c.windowsFolder;
    w.driverUninstallKnown = c.driverUninstallKnown;
    w.packageHeldBySystem = c.packageHeldBySystem;
    w.removalNeedsRestart = c.removalNeedsRestart;
    w.removedLeaveTheSet = c.removedLeaveTheSet;
    w.faults = c.faults;
    WorldScope scope(w);
    SetLastError(kSentinel);
    int status = RunProgram(RemoveMain);
    EXPECT_EQ(c.out, w.out);
    EXPECT_EQ(c.status, status);
    std::set<std::u16string> left;
    for (const auto &file : w.files)
        if (file.first.compare(0, kInfFolder.size(), kInfFolder) == 0)
            left.insert(file.first);
    EXPECT_EQ(c.left, left);
    size_t devicesRemoved = 0;
    for (const Device &device : w.devices)
        devicesRemoved += device.removed;
    EXPECT_EQ(c.devicesRemoved, devicesRemoved);
    if (!c.removals.empty()) {
        std::vector<Op> removals;
        for (const Call &call : w.journal)
            if (call.op == Op::SetupDiGetClassDevsA || call.op == Op::SetupDiCallClassInstaller ||
                call.op == Op::DiUninstallDriverW || call.op == Op::SetupUninstallOEMInfW)
                removals.push_back(call.op);
        EXPECT_EQ(c.removals, removals);
    }
    EXPECT_EQ(std::vector<std::string>{}, BrokenRemovalInvariants(w, status, GetLastError()));
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveMainTest, testing::ValuesIn(kRemoveCases), RowName());
