// Every operation of the table, with the codes it plausibly fails with, made to fail at
// each of its calls (and at every call) in a run that forces the driver, in one that
// pre-installs it and in one whose pre-installation fails, with Windows' and with Wine's
// handling of the last error. Each faulted
// run is a test of its own. What it must do is found by running again: the same run
// without the fault up to the failing call, or a machine changed so that it meets, without
// any fault, what the failure amounts to. Every run also keeps the invariants that the
// fuzzer holds its runs to.
#include "fault_matrix.h"

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

// The device that the call at journal position at was about: the one fetched last.
static size_t DeviceOf(const World &w, size_t at)
{
    return (size_t)std::count_if(w.journal.begin(), w.journal.begin() + (long)at,
                                 [](const Call &call) { return call.op == Op::SetupDiEnumDeviceInfo; }) - 1;
}

using FaultedRun = Faulted<Scenario>;
PRINTS_AS_NAME(FaultedRun)

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
