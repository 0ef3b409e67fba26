#include "installer/installer.h"
#include "machine.h"
#include "world_scope.h"

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

TEST(InstallMain, Outcomes)
{
    const InstallCase cases[] = {
        {"no argument", {kProgram}, {}, {}, FALSE, kUsage, 2, kNone, {}},
        {"one argument", {kProgram, "dev.inf"}, {}, {}, FALSE, kUsage, 2, kNone, {}},
        {"three arguments", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV", "x"}, {}, {}, FALSE, kUsage, 2,
         kNone, {}},
        {"empty command line", {}, {}, {}, FALSE, kUsage, 2, kNone, {}},
        {"INF path names nothing", {kProgram, "other.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
         std::string("  File not found.\r\n") + kUsage, 2, kNone, {}},
        {"INF path unreadable", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         {{Op::FindFirstFile, 0, ERROR_ACCESS_DENIED}}, FALSE,
         std::string("  File not found.\r\n") + kUsage, 2, kNone, {}},
        {"INF path too long", {kProgram, std::string(1100, 'a'), "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
         kUsage, 2, kNone, {}},
        {"forced onto the present device", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
         kFoundWalk + kSuccess, 0, kForced, {}},
        {"forced, and a restart is needed", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, TRUE,
         kFoundWalk + kSuccess + "(Reboot Required)\r\n", 1, kForced, {}},
        {"forced update refused by a 32-bit process on 64-bit Windows",
         {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {{Op::UpdateDriver, 0, 0xE0000235}}, FALSE,
         kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: (0xe0000235)\r\n", 2, kForced, {}},
        {"forced update denied", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         {{Op::UpdateDriver, 0, ERROR_ACCESS_DENIED}}, TRUE,
         kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: Access is denied.\r\r\n\r\n", 2,
         kForced, {}},
        {"absent device: INF pre-installed", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {}, {}, TRUE,
         kAbsentWalk + kSuccess, 0, kCopied, {}},
        {"pre-installation fails", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
         {{Op::CopyOEMInf, 0, 0xE0000000}}, FALSE, kAbsentWalk, 2, kBoxShown, {}},
        {"a failed search reads as absence", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         {{Op::GetClassDevs, 0, ERROR_NOT_ENOUGH_MEMORY}}, FALSE,
         "GetClassDevs(All Present Devices) FAILURE: Not enough memory resources are available to "
         "process this command.\r\r\n\r\n" + std::string(kSuccess),
         0, kCopied, {}},
        {"no standard output: still forced", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         {{Op::Print, 0, ERROR_INVALID_HANDLE}}, FALSE, "", 0, kForced, {}},
        {"English wizard closed before the usage line", {kProgram}, {"Other", kEnglishWizard}, {}, FALSE,
         kUsage, 2, kNone, {kEnglishWizard}},
        {"Chinese wizard closed", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {kChineseWizard}, {}, FALSE,
         kFoundWalk + kSuccess, 0, kForced, {kChineseWizard}},
        {"both wizards: only the English one", {kProgram}, {kChineseWizard, kEnglishWizard}, {},
         FALSE, kUsage, 2, kNone, {kEnglishWizard}},
        {"other windows are left alone", {kProgram}, {"Found New Hardware", "Wizard"}, {}, FALSE,
         kUsage, 2, kNone, {}},
        // Where nobody can see the box it would wait for ever: the line goes to the log.
        {"failed pre-installation where nobody sees a box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
         {{Op::CopyOEMInf, 0, 0xE0000000}}, FALSE, kAbsentWalk + "Error-Install Driver Failed!\r\n",
         2, kCopied, {}, false},
        {"forced where nobody sees a box", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {}, {}, FALSE,
         kFoundWalk + kSuccess, 0, kForced, {}, false},
        {"pre-installed where nobody sees a box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {}, {},
         FALSE, kAbsentWalk + kSuccess, 0, kCopied, {}, false},
        {"window station unknown: the box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
         {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::WindowStation, 0, ERROR_ACCESS_DENIED}}, FALSE,
         kAbsentWalk, 2, kBoxShown, {}, false},
        {"window station's flags unreadable: the box", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
         {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::StationFlags, 0, ERROR_ACCESS_DENIED}}, FALSE,
         kAbsentWalk, 2, kBoxShown, {}, false},
        // System DLLs that cannot be had: each operation fails with the loader's code.
        {"setupapi missing: reported, then no box can help", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"},
         {}, LibraryMissing("setupapi"), FALSE,
         "GetClassDevs(All Present Devices) FAILURE: The specified module could not be "
         "found.\r\r\n\r\n",
         2, kBoxShown, {}},
        {"newdev missing: the forced update fails", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         LibraryMissing("newdev"), FALSE,
         kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: The specified module could not be "
                      "found.\r\r\n\r\n",
         2, kForced, {}},
        {"newdev's entry missing", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"}, {},
         {{Op::UpdateDriver, 0, ERROR_PROC_NOT_FOUND}}, FALSE,
         kFoundWalk + "UpdateDriverForPlugAndPlayDevices FAILURE: The specified procedure could not "
                      "be found.\r\r\n\r\n",
         2, kForced, {}},
        // Without upper-casing the stored lower-case ID cannot match: pre-installed instead.
        {"user32 missing: wizard stays, nothing upper-cased", {kProgram, "dev.inf", "ROOT\\SAMPLEDEV"},
         {kEnglishWizard}, LibraryMissing("user32"), FALSE,
         "Search for Device ID: [ROOT\\SAMPLEDEV]\r\n"
         "Compare device ID: [PCI\\VEN_8086]\r\n"
         "Compare device ID: [root\\sampledev]\r\n"
         "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n" + std::string(kSuccess),
         0, kCopied, {}},
        {"user32 missing and the copy fails: no box, status 2", {kProgram, "dev.inf", "ROOT\\ABSENT"},
         {}, [] {
             std::vector<Fault> faults = LibraryMissing("user32");
             faults.push_back({Op::CopyOEMInf, 0, 0xE0000000});
             return faults;
         }(),
         FALSE, kAbsentWalk, 2, kCopied, {}},
        {"the box's entry missing: status 2 all the same", {kProgram, "dev.inf", "ROOT\\ABSENT"}, {},
         {{Op::CopyOEMInf, 0, 0xE0000000}, {Op::MessageBox, 0, ERROR_PROC_NOT_FOUND}}, FALSE,
         kAbsentWalk, 2, kCopied, {}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const InstallCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        World w = Machine(c);
        WorldScope scope(w);
        EXPECT_EQ(c.status, InstallMain(NULL, NULL, NULL, 0));
        EXPECT_EQ(c.out, w.out);
        EXPECT_EQ(c.closed, w.closed);
        ExpectReleased(w);

        ASSERT_EQ(c.installed == kForced ? 1u : 0u, w.updates.size());
        if (c.installed == kForced) {
            EXPECT_EQ("ROOT\\SAMPLEDEV", w.updates[0].hardwareId);
            EXPECT_EQ(kInf, w.updates[0].infPath);
            EXPECT_EQ((DWORD)INSTALLFLAG_FORCE, w.updates[0].flags);
        }
        bool copied = c.installed == kCopied || c.installed == kBoxShown;
        EXPECT_EQ(copied ? std::vector<std::string>{kInf} : std::vector<std::string>{}, w.copies);
        ASSERT_EQ(c.installed == kBoxShown ? 1u : 0u, w.boxes.size());
        if (c.installed == kBoxShown) {
            EXPECT_EQ("Error-Install Driver Failed!", w.boxes[0].text);
            EXPECT_EQ("Warning", w.boxes[0].caption);
            EXPECT_EQ(MB_OK, w.boxes[0].type);
            EXPECT_EQ(c.out, w.boxes[0].outputDelivered) << "lines held back behind the box";
        }
    }
}

struct PathRunCase {
    const char *name;
    std::string program, infFile;
    std::set<std::string> files;
    std::string searched; // what the file search was asked for
    int status;
};

// The INF path that the file search judges is the one both installations receive.
TEST(InstallMain, InfPathFromHowTheProgramWasNamed)
{
    const PathRunCase cases[] = {
        {"program named without a directory", "drvplant", "dev.inf", {"dev.inf"}, "dev.inf", 0},
        {"forward slashes", "C:/tools/drvplant.exe", "dev.inf", {kInf}, "dev.inf", 2},
        {"absolute INF after the directory", kProgram, "D:\\dev.inf", {"D:\\dev.inf"},
         "C:\\tools\\D:\\dev.inf", 2},
        {"INF in a sub-directory", kProgram, "sub\\dev.inf", {"C:\\tools\\sub\\dev.inf"},
         "C:\\tools\\sub\\dev.inf", 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const PathRunCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        World w;
        w.args = {c.program, c.infFile, "ROOT\\ABSENT"};
        w.files = c.files;
        WorldScope scope(w);
        EXPECT_EQ(c.status, InstallMain(NULL, NULL, NULL, 0));
        EXPECT_EQ(std::vector<std::string>{c.searched}, w.searchedPaths);
        EXPECT_EQ(c.status == 0 ? std::vector<std::string>{c.searched} : std::vector<std::string>{},
                  w.copies);
    }
}
