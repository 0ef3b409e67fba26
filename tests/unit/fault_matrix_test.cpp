// Every operation of the table, with the codes it plausibly fails with, made to fail at
// each of its calls (and at every call) in a run that forces the driver, in one that
// pre-installs it and in one whose pre-installation fails, with Windows' and with Wine's
// handling of the last error. Each faulted
// run is a test of its own. What it must do is found by running again: the same run
// without the fault up to the failing call, or a machine changed so that it meets, without
// any fault, what the failure amounts to. Every run also keeps the invariants that the
// fuzzer holds its runs to.
#include "tests/host/invariants.h"
#include "tests/host/expected.h"
#include "unit.h"

#include "creator/creator.h"
#include "remover/remover.h"

#include <stdio.h>

#include <algorithm>

// Codes the host's subset of the API does not name.
static const DWORD kPathNotFound = 3, kSharingViolation = 32, kLockViolation = 33,
                   kInvalidName = 123, kInvalidFlags = 1004;
static const DWORD kExpectedSectionName = 0xE0000000, kInvalidRegProperty = 0xE0000209,
                   kNoSuchDevinst = 0xE000020B, kNoCatalogForOemInf = 0xE000022F,
                   kInWow64 = 0xE0000235;

enum Consequence {
    kNotFound,       // as if no INF were there
    kReportThenCopy, // the failure reported under label; the INF pre-installed
    kSilentThenCopy, // a failure without a code leaves nothing to report; pre-installed
    kDeviceSkipped,  // as if that device had no hardware IDs
    kReportThenNextDevice, // the failure reported under label where that device's lines were;
                           // the walk goes on as if it had no hardware IDs
    kUsageLine,      // the usage line; status 2
    kReportAndFail,  // the failure reported under label; status 2
    kBox,            // the box; status 2
    kCodeNotText,    // as if the system had no text for the code that report carries
    kLineLost,       // that line is missing; nothing else changes
    kWizardStays,    // as if no wizard were open
    kIdAsStored,     // as if upper-casing had left that ID as it was
    kNoBox,          // the box does not appear; nothing else changes
    kNothingChanges, // the run does not look at what it returns
    kNotCalled,      // drvplant does not call it; drvremove's runs below do
    kRunsItself,     // as if no native exe were there
    kReportThenRunsItself, // the failure reported under the native exe's path; then as if
                           // no native exe were there
};

struct FaultRow {
    Op op;
    std::vector<DWORD> codes;
    Consequence consequence;
    const char *label;
};

static const FaultRow kRows[] = {
    {Op::FindFirstFileW, {ERROR_FILE_NOT_FOUND, kPathNotFound, ERROR_ACCESS_DENIED, kInvalidName},
     kNotFound, ""},
    {Op::SetupDiGetClassDevsA, {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY, kInvalidFlags, ERROR_MOD_NOT_FOUND},
     kReportThenCopy, kListDevicesLabel},
    {Op::SetupDiEnumDeviceInfo,
     {ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_USER_BUFFER},
     kReportThenCopy, kNextDeviceLabel},
    {Op::SetupDiEnumDeviceInfo, {ERROR_SUCCESS}, kSilentThenCopy, ""},
    {Op::SetupDiGetDeviceRegistryPropertyA,
     {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INSUFFICIENT_BUFFER,
      kInvalidRegProperty, kNoSuchDevinst},
     kReportThenNextDevice, kReadIdsLabel},
    {Op::SetupDiGetDeviceRegistryPropertyA, {ERROR_INVALID_DATA}, kDeviceSkipped, ""},
    {Op::LocalAlloc, {ERROR_NOT_ENOUGH_MEMORY}, kReportThenNextDevice, kReadIdsLabel},
    {Op::GetFullPathNameW, {kInvalidName, ERROR_NOT_ENOUGH_MEMORY}, kUsageLine, ""},
    // Only where nobody sees the run, which none of these runs is: drvremove's runs call it.
    {Op::SetupSetNonInteractiveMode, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kNothingChanges, ""},
    {Op::FormatMessageA, {ERROR_MR_MID_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}, kCodeNotText, ""},
    {Op::UpdateDriverForPlugAndPlayDevicesW,
     {ERROR_ACCESS_DENIED, kInWow64, kNoSuchDevinst, kNoCatalogForOemInf, ERROR_NO_MORE_ITEMS,
      ERROR_FILE_NOT_FOUND, ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND},
     kReportAndFail, kForceLabel},
    {Op::SetupCopyOEMInfW, {ERROR_ACCESS_DENIED, kExpectedSectionName, kNoCatalogForOemInf, ERROR_FILE_NOT_FOUND},
     kBox, ""},
    {Op::printf, {ERROR_INVALID_HANDLE, ERROR_DISK_FULL}, kLineLost, ""},
    {Op::FindWindowW, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kWizardStays, ""},
    {Op::SendMessageTimeoutA, {ERROR_PROC_NOT_FOUND, ERROR_TIMEOUT}, kWizardStays, ""},
    {Op::SetupDiDestroyDeviceInfoList, {ERROR_INVALID_HANDLE}, kNothingChanges, ""},
    {Op::CharUpperA, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kIdAsStored, ""},
    {Op::MessageBoxA, {ERROR_PROC_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}, kNoBox, ""},
    // Whether a person can see the box is then unknown: one may, so it is shown.
    {Op::GetProcessWindowStation, {ERROR_PROC_NOT_FOUND, ERROR_ACCESS_DENIED}, kNothingChanges, ""},
    {Op::GetUserObjectInformationA, {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}, kNothingChanges, ""},
    {Op::FindNextFileW, {ERROR_NO_MORE_FILES, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::GetSystemWindowsDirectoryW, {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}, kNotCalled, ""},
    {Op::CreateFileW, {ERROR_ACCESS_DENIED, kSharingViolation, ERROR_FILE_NOT_FOUND}, kNotCalled, ""},
    {Op::ReadFile, {ERROR_ACCESS_DENIED, kLockViolation}, kNotCalled, ""},
    {Op::SetupDiOpenDevRegKey, {ERROR_ACCESS_DENIED, ERROR_KEY_DOES_NOT_EXIST}, kNotCalled, ""},
    {Op::RegQueryValueExW, {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MORE_DATA}, kNotCalled, ""},
    {Op::RegCloseKey, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::SetupDiSetClassInstallParamsW, {ERROR_INVALID_USER_BUFFER, ERROR_ACCESS_DENIED}, kNotCalled, ""},
    {Op::SetupDiCallClassInstaller, {ERROR_ACCESS_DENIED, kInWow64, kNoSuchDevinst}, kNotCalled, ""},
    {Op::SetupDiGetDeviceInstallParamsW, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::SetupDiSetDeviceInstallParamsW, {ERROR_INVALID_HANDLE, ERROR_INVALID_USER_BUFFER}, kNotCalled, ""},
    {Op::SetupGetInfInformationW, {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, kExpectedSectionName},
     kNotCalled, ""},
    {Op::SetupQueryInfOriginalFileInformationW, {ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER},
     kNotCalled, ""},
    {Op::SetupOpenInfFileW, {ERROR_ACCESS_DENIED, kExpectedSectionName}, kNotCalled, ""},
    {Op::SetupGetLineTextW, {ERROR_LINE_NOT_FOUND, ERROR_INSUFFICIENT_BUFFER}, kNotCalled, ""},
    {Op::SetupCloseInfFile, {ERROR_PROC_NOT_FOUND}, kNotCalled, ""},
    {Op::SetupUninstallOEMInfW, {ERROR_ACCESS_DENIED, ERROR_INF_IN_USE_BY_DEVICES, ERROR_FILE_NOT_FOUND},
     kNotCalled, ""},
    {Op::DiUninstallDriverW, {ERROR_ACCESS_DENIED, ERROR_PROC_NOT_FOUND, ERROR_MOD_NOT_FOUND, kInWow64},
     kNotCalled, ""},
    // Before Windows 10 1511 the older pair tells the same machine.
    {Op::IsWow64Process2, {ERROR_PROC_NOT_FOUND, ERROR_INVALID_PARAMETER}, kNothingChanges, ""},
    {Op::IsWow64Process, {ERROR_PROC_NOT_FOUND, ERROR_INVALID_HANDLE}, kRunsItself, ""},
    {Op::GetNativeSystemInfo, {ERROR_PROC_NOT_FOUND}, kRunsItself, ""},
    {Op::GetModuleFileNameW, {ERROR_INSUFFICIENT_BUFFER, ERROR_NOT_ENOUGH_MEMORY}, kRunsItself, ""},
    {Op::CreateProcessW, {ERROR_FILE_NOT_FOUND, kPathNotFound}, kRunsItself, ""},
    {Op::CreateProcessW, {ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT, ERROR_NOT_ENOUGH_MEMORY},
     kReportThenRunsItself, kNativeExe},
    // Only after a failed start, which no clean run has.
    {Op::WideCharToMultiByte, {ERROR_INSUFFICIENT_BUFFER}, kNotCalled, ""},
    // After a forced update, where every device of these runs is well: a wait or a status
    // that cannot be had passes the devices over. The install table fails them where one
    // has a problem, and where its instance ID cannot be read (called only then).
    {Op::CMP_WaitNoPendingInstallEvents, {ERROR_PROC_NOT_FOUND, ERROR_ACCESS_DENIED}, kNothingChanges, ""},
    {Op::CM_Get_DevNode_Status, {ERROR_PROC_NOT_FOUND}, kNothingChanges, ""},
    {Op::SetupDiGetDeviceInstanceIdA, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    // drvcreate's alone: its runs below.
    {Op::SetupDiGetINFClassW, {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_DATA}, kNotCalled, ""},
    {Op::SetupDiCreateDeviceInfoList, {ERROR_NOT_ENOUGH_MEMORY, ERROR_MOD_NOT_FOUND}, kNotCalled, ""},
    {Op::SetupDiCreateDeviceInfoW, {ERROR_ACCESS_DENIED, ERROR_CLASS_MISMATCH, ERROR_INVALID_DEVINST_NAME}, kNotCalled, ""},
    {Op::SetupDiSetDeviceRegistryPropertyW, {ERROR_ACCESS_DENIED, ERROR_INVALID_DATA}, kNotCalled, ""},
};

enum Machine {
    kNative,
    kX86OnX64,          // the x86 exe on 64-bit Windows, with the x64 exe beside it
    kX86OnX64Windows7,  // the same where kernel32 has no IsWow64Process2
};

struct Scenario {
    const char *name;
    const char *hardwareId;
    bool successKeepsLastError;
    bool copyFails = false; // then the box, where a pre-installation would have succeeded
    Machine machine = kNative;
};

static const Scenario kScenarios[] = {
    {"forced", "ROOT\\SAMPLEDEV", false},
    {"forced_wine", "ROOT\\SAMPLEDEV", true},
    {"pre_installed", "ROOT\\ABSENT", false},
    {"pre_installed_wine", "ROOT\\ABSENT", true},
    {"pre_installation_fails", "ROOT\\ABSENT", false, true},
    {"handed_off", "ROOT\\SAMPLEDEV", false, false, kX86OnX64},
    {"handed_off_windows_7", "ROOT\\SAMPLEDEV", false, false, kX86OnX64Windows7},
};
static const Fault kCopyFails = {Op::SetupCopyOEMInfW, 0, 0xE0000000};

// The usual machine with a wizard open. A consequence changes one of these.
static World ScenarioWorld(const Scenario &s)
{
    World w = s.machine == kNative ? UsualMachine() : ArchiveOnX64();
    w.args = {s.machine == kNative ? kProgram : kArchiveProgram, "dev.inf", s.hardwareId};
    w.windows = {kEnglishWizard};
    w.successKeepsLastError = s.successKeepsLastError;
    if (s.copyFails)
        w.faults = {kCopyFails};
    if (s.machine == kX86OnX64Windows7)
        w.faults.push_back({Op::IsWow64Process2, 0, ERROR_PROC_NOT_FOUND});
    return w;
}

struct Finished {
    World world;
    int status;
    DWORD lastError;
};

static Finished RunOn(World w, ProgramMain *main = InstallMain)
{
    Finished run{w, 0, 0};
    WorldScope scope(run.world);
    SetLastError(kSentinel);
    run.status = RunProgram(main);
    run.lastError = GetLastError();
    return run;
}

// Where the calls of op stand in the journal.
static std::vector<size_t> CallsOf(const World &w, Op op)
{
    std::vector<size_t> calls;
    for (size_t i = 0; i < w.journal.size(); i++)
        if (w.journal[i].op == op)
            calls.push_back(i);
    return calls;
}

// The device that the call at journal position at was about: the one fetched last.
static size_t DeviceOf(const World &w, size_t at)
{
    return (size_t)std::count_if(w.journal.begin(), w.journal.begin() + (long)at,
                                 [](const Call &call) { return call.op == Op::SetupDiEnumDeviceInfo; }) - 1;
}

template <class Scenario> struct Faulted {
    std::string name;
    const Scenario *scenario;
    const FaultRow *row;
    DWORD code;
    unsigned call; // 0: every call
};
using FaultedRun = Faulted<Scenario>;
PRINTS_AS_NAME(FaultedRun)

// Each operation's calls are counted in the clean run of the scenario, so that every call
// can be made to fail, and every call at once.
template <class Scenario>
static void AddFaultedRuns(const Scenario &s, const World &clean, std::vector<Faulted<Scenario>> *runs)
{
    for (const FaultRow &row : kRows) {
        unsigned made = (unsigned)CallsOf(clean, row.op).size();
        for (DWORD code : row.codes)
            for (unsigned call = 0; call <= made && made > 0; call++) {
                char name[160];
                snprintf(name, sizeof name, "%s_%s_0x%08x_%s%u", s.name, OpName(row.op),
                         (unsigned)code, call == 0 ? "every_call" : "call", call);
                if (call == 0)
                    name[strlen(name) - 1] = '\0';
                runs->push_back({name, &s, &row, code, call});
            }
    }
}

static std::vector<FaultedRun> AllFaultedRuns()
{
    std::vector<FaultedRun> runs;
    for (const Scenario &s : kScenarios)
        AddFaultedRuns(s, RunOn(ScenarioWorld(s)).world, &runs);
    return runs;
}

struct Expected {
    std::string out;
    int status;
    size_t updates, copies, boxes, closed;
};

static Expected Observed(const Finished &run)
{
    const World &w = run.world;
    return {w.out, run.status, w.updates.size(), w.copies.size(), w.boxes.size(), w.closed.size()};
}

static Expected Expect(const FaultedRun &f, const Finished &clean)
{
    const World &c = clean.world;
    std::vector<size_t> calls = CallsOf(c, f.row->op), updates = CallsOf(c, Op::UpdateDriverForPlugAndPlayDevicesW);
    size_t failing = calls[f.call == 0 ? 0 : f.call - 1];
    // Failing at every call, the search finds no device, so the looking after is not reached.
    if (f.call == 0 && !updates.empty())
        calls.erase(std::remove_if(calls.begin(), calls.end(), [&](size_t at) { return at > updates[0]; }),
                    calls.end());
    // The lines the run printed before the failing call, as the clean run printed them.
    std::string before = c.out.substr(0, c.journal[failing].outAt);
    std::string report = f.row->label[0] != '\0' ? ReportLine(f.row->label, f.code) : "";
    bool copyFails = f.scenario->copyFails;
    Expected e = Observed(clean);
    World changed = ScenarioWorld(*f.scenario);
    // Once the driver is forced on, the devices are only looked at: with every one well, a
    // look that fails changes nothing. Lines still go as they would.
    bool looking = f.call != 0 && !updates.empty() && failing > updates[0] && f.row->op != Op::printf;
    switch (looking ? kNothingChanges : f.row->consequence) {
    case kNotFound:
        changed.files.clear();
        e = Observed(RunOn(changed));
        break;
    case kReportThenCopy:
    case kSilentThenCopy:
        e = {before + report + (copyFails ? "" : kSuccess), copyFails ? kFailed : kInstalled, 0,
             copyFails ? 0u : 1u, copyFails ? 1u : 0u, 1};
        break;
    case kDeviceSkipped:
        for (size_t i = 0; i < changed.devices.size(); i++)
            if (f.call == 0 || i == DeviceOf(c, failing))
                changed.devices[i] = kNoIds;
        e = Observed(RunOn(changed));
        break;
    case kReportThenNextDevice: {
        std::set<size_t> unreadable;
        for (size_t i = 0; i < calls.size(); i++)
            if (f.call == 0 || i == f.call - 1)
                unreadable.insert(DeviceOf(c, calls[i]));
        for (size_t device : unreadable)
            changed.devices[device] = kNoIds;
        const Finished skipped = RunOn(changed);
        e = Observed(skipped);
        std::vector<size_t> fetches = CallsOf(skipped.world, Op::SetupDiEnumDeviceInfo);
        for (auto device = unreadable.rbegin(); device != unreadable.rend(); ++device)
            e.out.insert(skipped.world.journal[fetches[*device]].outAt, report);
        break;
    }
    case kUsageLine:
        e = {kUsage, kFailed, 0, 0, 0, 1};
        break;
    case kReportAndFail:
        e = {before + report, kFailed, 0, 0, 0, 1};
        break;
    case kBox:
        e = {before, kFailed, 0, 0, 1, 1};
        break;
    case kCodeNotText:
        for (size_t i = 0; i < calls.size(); i++)
            if (f.call == 0 || i == f.call - 1)
                changed.texts.erase(c.journal[calls[i]].lastError);
        e = Observed(RunOn(changed));
        break;
    case kLineLost: {
        std::vector<std::string> lines = PrintedLines(c);
        e.out.clear();
        for (size_t i = 0; i < lines.size(); i++)
            if (f.call != 0 && i != f.call - 1)
                e.out += lines[i];
        break;
    }
    case kWizardStays:
        changed.windows.clear();
        e = Observed(RunOn(changed));
        break;
    case kIdAsStored:
        changed.upperCaseSkipped = {f.call};
        e = Observed(RunOn(changed));
        break;
    case kNoBox:
        e.boxes = 0;
        break;
    case kNothingChanges:
        break;
    case kRunsItself:
    case kReportThenRunsItself:
        changed.files.erase(Widened(kNativeExe));
        e = Observed(RunOn(changed));
        e.out = report + e.out;
        break;
    case kNotCalled:
        ADD_FAILURE() << OpName(f.row->op) << " is called by drvplant: give it a consequence";
        break;
    }
    return e;
}

class FaultMatrixTest : public testing::TestWithParam<FaultedRun> {};

TEST_P(FaultMatrixTest, EndsAsTheFailureDemands)
{
    const FaultedRun &f = GetParam();
    const Finished clean = RunOn(ScenarioWorld(*f.scenario));
    if (f.row->consequence == kCodeNotText) {
        // Changing the machine's texts stands for one failed call only while no two
        // reports of the clean run share a code.
        std::set<DWORD> codes;
        for (size_t call : CallsOf(clean.world, Op::FormatMessageA))
            ASSERT_TRUE(codes.insert(clean.world.journal[call].lastError).second);
    }
    World faulted = ScenarioWorld(*f.scenario);
    faulted.faults.push_back({f.row->op, f.call, f.code});
    const Finished run = RunOn(faulted);
    const Expected e = Expect(f, clean);
    const World &w = run.world;
    EXPECT_EQ(e.out, w.out);
    EXPECT_EQ(e.status, run.status);
    EXPECT_EQ(e.updates, w.updates.size());
    EXPECT_EQ(e.copies, w.copies.size());
    EXPECT_EQ(e.boxes, w.boxes.size());
    EXPECT_EQ(e.closed, w.closed.size());
    EXPECT_EQ(std::vector<std::string>{}, BrokenInvariants(w, run.status, run.lastError));
    if (f.row->consequence == kReportAndFail) {
        EXPECT_EQ(f.code, run.lastError) << "the caller's last error";
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixTest, testing::ValuesIn(AllFaultedRuns()), RowName());

// An operation added to the table must be given the codes it fails with here.
TEST(FaultMatrix, CoversEveryOperation)
{
    for (Op op : kAllOps)
        EXPECT_TRUE(std::any_of(std::begin(kRows), std::end(kRows),
                                [op](const FaultRow &row) { return row.op == op && !row.codes.empty(); }))
            << OpName(op) << " has no fault-matrix row";
}

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

// Every faulted run of a program's scenarios, each made on its world.
template <class Scenario, size_t count>
static std::vector<Faulted<Scenario>> AllRunsOf(const Scenario (&scenarios)[count], World (*make)(const Scenario &),
                                                ProgramMain *main)
{
    std::vector<Faulted<Scenario>> runs;
    for (const Scenario &s : scenarios)
        AddFaultedRuns(s, RunOn(make(s), main).world, &runs);
    return runs;
}

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
