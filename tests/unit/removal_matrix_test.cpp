// The fault matrices of drvremove and drvcreate: each operation failing at each call of
// their scenarios' runs, each faulted run a test of its own.
#include "fault_matrix.h"

#include "creator/creator.h"
#include "remover/remover.h"

// drvremove's runs: the removals of a package with a forced install and another version,
// on Windows before 10 1703 and after, each operation failing at each call. What must hold:
// a failure never widens what is removed, and the run keeps drvremove's invariants (among
// them: a status other than a success, usage or not-found one is a reported failure's code).
struct RemovalScenario {
    const char *name;
    bool driverUninstallKnown, wine, list = false;
};

static const RemovalScenario kRemovalScenarios[] = {
    {"removal", false, false},
    {"removal_wine", false, true},
    {"removal_windows_10", true, false},
    {"listing", false, false, true},
};

// The usual machine with copies of dev.inf, its next version and another vendor's, the
// devices installed from the first (a root one) and the last, and one of another
// enumerator installed from the next version.
static World RemovalWorld(const RemovalScenario &s)
{
    World w = UsualMachine();
    w.args = {kRemover, "dev.inf", "/every-version"};
    if (s.list)
        w.args.push_back("/list");
    w.files[kInfFolder + u"oem3.inf"] = kDevInf;
    w.files[kInfFolder + u"oem4.inf"] = kDevInf + "DriverVer=01/07/2027,2.0.0.0\r\n";
    w.files[kInfFolder + u"oem5.inf"] = "[Version]\r\nProvider=Fabrikam\r\n";
    w.originalNames = {{kInfFolder + u"oem4.inf", u"dev.inf"}};
    w.devices[0].infPath = u"oem5.inf";
    w.devices[1].infPath = u"oem3.inf";
    w.devices.push_back(Ids({"PCI\\VEN_8086&DEV_1234"}));
    w.devices[2].infPath = u"oem4.inf";
    w.devices[2].instanceId = "PCI\\VEN_8086&DEV_1234\\3&11583659&0&10";
    w.removalNeedsRestart = true;
    w.driverUninstallKnown = s.driverUninstallKnown;
    w.successKeepsLastError = w.removedLeaveTheSet = s.wine;
    return w;
}

using RemovalRun = Faulted<RemovalScenario>;
PRINTS_AS_NAME(RemovalRun)

// The copies a run took on, by name: those it removed, and those a listing named.
static std::set<std::string> Taken(const World &w)
{
    std::set<std::string> taken;
    for (const auto &gone : w.deleted)
        taken.insert(std::string(gone.first.begin() + (long)gone.first.rfind(u'\\') + 1, gone.first.end()));
    for (const std::string &line : PrintedLines(w))
        if (line.compare(0, 6, "Found ") == 0)
            taken.insert(line.substr(6, line.size() - 8));
    return taken;
}

class RemovalFaultMatrixTest : public testing::TestWithParam<RemovalRun> {};

TEST_P(RemovalFaultMatrixTest, NeverWidensAndReportsWhatFailed)
{
    const RemovalRun &r = GetParam();
    World faultedWorld = RemovalWorld(*r.scenario);
    faultedWorld.faults = {{r.row->op, r.call, r.code}};
    const Finished clean = RunOn(RemovalWorld(*r.scenario), RemoveMain), run = RunOn(faultedWorld, RemoveMain);
    const World &faulted = run.world;
    const int cleanStatus = clean.status, status = run.status;
    const std::set<std::string> taken = Taken(faulted), cleanTaken = Taken(clean.world);
    for (const std::string &name : taken)
        EXPECT_EQ(1u, cleanTaken.count(name)) << name << " taken only under the fault";
    // A removed device whose parameters cannot be read asked for no restart: Wine 8 cannot
    // read them once the device is gone, and claiming one there would be wrong every time.
    bool restartUnread = r.row->op == Op::SetupDiGetDeviceInstallParamsW && status == 0;
    EXPECT_TRUE(status == cleanStatus || taken.size() < cleanTaken.size() ||
                faulted.out.find(" FAILURE: ") != std::string::npos || r.row->op == Op::printf ||
                restartUnread)
        << "the same copies taken, yet status " << status << " where the clean run had " << cleanStatus;
    // Exactly what went is said: each copy taken has its line, and each that the clean run
    // took and the fault kept has the line of the failure that kept it. Silent only: a
    // search's own answer for "no more" (the fault looks like the end of the listing), and
    // the next version's record unread, which leaves it not known to be the package's.
    auto said = [&faulted](const std::string &text) { return faulted.out.find(text) != std::string::npos; };
    const Op op = r.row->op;
    bool ended = (op == Op::FindFirstFileW && r.code == ERROR_FILE_NOT_FOUND) ||
                 (op == Op::FindNextFileW && r.code == ERROR_NO_MORE_FILES);
    bool recordUnread = op == Op::SetupGetInfInformationW || op == Op::SetupQueryInfOriginalFileInformationW ||
                        op == Op::SetupOpenInfFileW || op == Op::SetupGetLineTextW || op == Op::LocalAlloc;
    for (const std::string &name : taken)
        EXPECT_TRUE(op == Op::printf || said((r.scenario->list ? "Found " : "Removed ") + name + "\r\n"))
            << name << " went without its line";
    // (A listing's device lines are the listing invariant's, copy by copy.)
    for (const std::string &name : cleanTaken)
        EXPECT_TRUE(taken.count(name) || name.compare(0, 3, "oem") != 0 || op == Op::printf || ended || (recordUnread && name == "oem4.inf") ||
                    said(name + " FAILURE: ") || said("oem*.inf FAILURE: ") || said("dev.inf FAILURE: ") ||
                    said("GetSystemWindowsDirectory FAILURE: ") || said("usage: drvremove "))
            << name << " kept without the line of what kept it";
    EXPECT_EQ(std::vector<std::string>{}, BrokenRemovalInvariants(faulted, status, run.lastError));
}

INSTANTIATE_TEST_SUITE_P(Matrix, RemovalFaultMatrixTest, testing::ValuesIn(AllRunsOf(kRemovalScenarios, RemovalWorld, RemoveMain)), RowName());

// drvcreate's runs: a device made and the driver forced onto it, with Windows' and Wine's
// last error and where nobody sees the run, each operation failing at each call. What must
// hold: drvcreate's invariants (no made device left without its driver unless its removal
// failed with its line, none made twice, no box), and a run that made no device that
// stands ends in failure.
struct CreationScenario {
    const char *name;
    bool wine, stationVisible;
};

static const CreationScenario kCreationScenarios[] = {
    {"created", false, true},
    {"created_wine", true, true},
    {"created_where_nobody_sees", false, false},
};

static World CreationWorld(const CreationScenario &s)
{
    World w = UsualMachine();
    w.args = {kProgram, "dev.inf", "ROOT\\VIRTUAL"};
    w.successKeepsLastError = w.removedLeaveTheSet = s.wine;
    w.stationVisible = s.stationVisible;
    return w;
}

using CreationRun = Faulted<CreationScenario>;
PRINTS_AS_NAME(CreationRun)

class CreationFaultMatrixTest : public testing::TestWithParam<CreationRun> {};

TEST_P(CreationFaultMatrixTest, LeavesNoDeviceWithoutItsDriver)
{
    const CreationRun &r = GetParam();
    World faultedWorld = CreationWorld(*r.scenario);
    faultedWorld.faults = {{r.row->op, r.call, r.code}};
    const Finished run = RunOn(faultedWorld, CreateMain);
    const World &w = run.world;
    bool driven = std::any_of(w.devices.begin(), w.devices.end(),
                              [](const Device &d) { return d.made && !d.removed && !d.infPath.empty(); });
    EXPECT_TRUE(driven || run.status == kFailed) << "status " << run.status << " without a device that has the driver";
    EXPECT_EQ(std::vector<std::string>{}, BrokenCreationInvariants(w, run.status, run.lastError));
}

INSTANTIATE_TEST_SUITE_P(Matrix, CreationFaultMatrixTest, testing::ValuesIn(AllRunsOf(kCreationScenarios, CreationWorld, CreateMain)), RowName());
