// Every operation that can fail, with the codes it plausibly fails with, made to fail at
// each of its calls (and at every call) in a run that forces the driver and in one that
// pre-installs it, with Windows' and with Wine's handling of the last error. The expected
// run is built from the same run without the fault: what it printed up to the failing
// call, then what that failure must lead to.
#include "installer/installer.h"
#include "machine.h"
#include "world_scope.h"

#include <stdio.h>

// Codes the host's subset of the API does not name.
static const DWORD kPathNotFound = 3, kInvalidName = 123, kInvalidFlags = 1004;
static const DWORD kExpectedSectionName = 0xE0000000, kInvalidRegProperty = 0xE0000209,
                   kNoSuchDevinst = 0xE000020B, kNoCatalogForOemInf = 0xE000022F,
                   kInWow64 = 0xE0000235;

enum Consequence {
    kNotFound,       // "  File not found." and the usage line; status 2
    kReportThenCopy, // the failure reported under label; the INF pre-installed
    kSilentThenCopy, // a failure without a code leaves nothing to report; pre-installed
    kDeviceSkipped,  // the device counts as one without hardware IDs
    kReportAndFail,  // the failure reported under label; status 2
    kBox,            // the box; status 2
    kCodeNotText,    // the report gives the code instead of the system text
    kLineLost,       // that line is missing; nothing else changes
};

struct FaultRow {
    Op op;
    std::vector<DWORD> codes;
    Consequence consequence;
    const char *label;
};

static const FaultRow kRows[] = {
    {Op::FindFirstFile, {ERROR_FILE_NOT_FOUND, kPathNotFound, ERROR_ACCESS_DENIED, kInvalidName},
     kNotFound, ""},
    {Op::GetClassDevs, {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY, kInvalidFlags}, kReportThenCopy,
     "GetClassDevs(All Present Devices)"},
    {Op::EnumDeviceInfo,
     {ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_USER_BUFFER},
     kReportThenCopy, "EnumDeviceInfo"},
    {Op::EnumDeviceInfo, {ERROR_SUCCESS}, kSilentThenCopy, ""},
    {Op::GetDeviceRegistryProperty,
     {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INSUFFICIENT_BUFFER,
      kInvalidRegProperty, kNoSuchDevinst},
     kReportThenCopy, "GetDeviceRegistryProperty"},
    {Op::GetDeviceRegistryProperty, {ERROR_INVALID_DATA}, kDeviceSkipped, ""},
    {Op::LocalAlloc, {ERROR_NOT_ENOUGH_MEMORY}, kReportThenCopy, "GetDeviceRegistryProperty"},
    {Op::FormatMessage, {ERROR_MR_MID_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}, kCodeNotText, ""},
    {Op::UpdateDriver,
     {ERROR_ACCESS_DENIED, kInWow64, kNoSuchDevinst, kNoCatalogForOemInf, ERROR_NO_MORE_ITEMS,
      ERROR_FILE_NOT_FOUND},
     kReportAndFail, "UpdateDriverForPlugAndPlayDevices"},
    {Op::CopyOEMInf, {ERROR_ACCESS_DENIED, kExpectedSectionName, kNoCatalogForOemInf, ERROR_FILE_NOT_FOUND},
     kBox, ""},
    {Op::Print, {ERROR_INVALID_HANDLE, ERROR_DISK_FULL}, kLineLost, ""},
};

struct Scenario {
    const char *name;
    const char *hardwareId;
    bool successKeepsLastError;
};

static const Scenario kScenarios[] = {
    {"forced", "ROOT\\SAMPLEDEV", false},
    {"forced, Wine's last errors", "ROOT\\SAMPLEDEV", true},
    {"pre-installed", "ROOT\\ABSENT", false},
    {"pre-installed, Wine's last errors", "ROOT\\ABSENT", true},
};

static const std::vector<Device> kDevices = {Ids({"PCI\\VEN_8086"}),
                                             Ids({"root\\sampledev", "ROOT\\OTHER"})};

struct Finished {
    World world;
    int status;
    DWORD lastError;
};

static Finished RunWith(const Scenario &s, const std::vector<Fault> &faults,
                   const std::vector<Device> &devices)
{
    Finished run;
    World &w = run.world;
    w.args = {kProgram, "dev.inf", s.hardwareId};
    w.files = {kInf};
    w.devices = devices;
    w.faults = faults;
    w.successKeepsLastError = s.successKeepsLastError;
    WorldScope scope(w);
    run.status = InstallMain(NULL, NULL, NULL, 0);
    run.lastError = GetLastError();
    return run;
}

static std::string TextMode(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

static std::string Hex(DWORD code)
{
    char text[16];
    snprintf(text, sizeof text, "(0x%08x)", (unsigned)code);
    return text;
}

static std::string Report(const World &w, const char *label, DWORD code)
{
    auto text = w.texts.find(code);
    return std::string(label) + " FAILURE: " +
           (text != w.texts.end() ? TextMode(text->second + "\n") : Hex(code) + "\r\n");
}

// The calls of op in the journal, in order.
static std::vector<Call> CallsOf(const World &w, Op op)
{
    std::vector<Call> calls;
    for (const Call &call : w.journal)
        if (call.op == op)
            calls.push_back(call);
    return calls;
}

// What one Print call wrote: up to the next Print call, or to the end.
static std::vector<std::string> PrintedLines(const World &w)
{
    std::vector<Call> prints = CallsOf(w, Op::Print);
    std::vector<std::string> lines;
    for (size_t i = 0; i < prints.size(); i++) {
        size_t end = i + 1 < prints.size() ? prints[i + 1].outAt : w.out.size();
        lines.push_back(w.out.substr(prints[i].outAt, end - prints[i].outAt));
    }
    return lines;
}

// The code a report line names, through the world's texts or its hexadecimal form.
static bool ReportedCode(const World &w, const std::string &line, DWORD *code)
{
    size_t at = line.find(" FAILURE: ");
    if (at == std::string::npos)
        return false;
    std::string said = line.substr(at + 10);
    for (const auto &text : w.texts)
        if (said == TextMode(text.second + "\n")) {
            *code = text.first;
            return true;
        }
    unsigned hex;
    if (sscanf(said.c_str(), "(0x%08x)", &hex) == 1 && said == Hex(hex) + "\r\n") {
        *code = hex;
        return true;
    }
    ADD_FAILURE() << "a report that names no code: " << line;
    return false;
}

struct Expected {
    std::string out;
    int status;
    size_t updates, copies, boxes;
};

static Expected Outcome(const Finished &run)
{
    const World &w = run.world;
    return {w.out, run.status, w.updates.size(), w.copies.size(), w.boxes.size()};
}

static Expected Expect(const Scenario &s, const Finished &clean, const FaultRow &row, DWORD code,
                       unsigned call)
{
    const World &c = clean.world;
    std::vector<Call> calls = CallsOf(c, row.op);
    const Call &failing = calls[call == 0 ? 0 : call - 1];
    std::string before = c.out.substr(0, failing.outAt);
    Expected e = Outcome(clean);
    switch (row.consequence) {
    case kNotFound:
        e = {std::string("  File not found.\r\n") + kUsage, kFailed, 0, 0, 0};
        break;
    case kReportThenCopy:
        e = {before + Report(c, row.label, code) + kSuccess, kInstalled, 0, 1, 0};
        break;
    case kSilentThenCopy:
        e = {before + kSuccess, kInstalled, 0, 1, 0};
        break;
    case kDeviceSkipped: {
        std::vector<Device> devices = kDevices;
        for (size_t i = 0; i < devices.size(); i++)
            if (call == 0 || i == failing.device)
                devices[i] = kNoIds;
        e = Outcome(RunWith(s, {}, devices));
        break;
    }
    case kReportAndFail:
        e = {before + Report(c, row.label, code), kFailed, 1, 0, 0};
        break;
    case kBox:
        e = {before, kFailed, 0, 1, 1};
        break;
    case kCodeNotText: {
        // From the last report back, so that earlier offsets still hold.
        for (size_t i = calls.size(); i-- > 0;) {
            if (call != 0 && i != call - 1)
                continue;
            std::string rest = e.out.substr(calls[i].outAt);
            size_t labelEnd = rest.find(" FAILURE: ") + 10;
            size_t lineEnd = rest.find("\r\n", labelEnd) + 2;
            if (rest.compare(lineEnd, 2, "\r\n") == 0) // a system text's own line end
                lineEnd += 2;
            e.out = e.out.substr(0, calls[i].outAt) + rest.substr(0, labelEnd) +
                    Hex(calls[i].lastError) + "\r\n" + rest.substr(lineEnd);
        }
        break;
    }
    case kLineLost: {
        std::vector<std::string> lines = PrintedLines(c);
        e.out.clear();
        for (size_t i = 0; i < lines.size(); i++)
            if (call != 0 && i != call - 1)
                e.out += lines[i];
        break;
    }
    }
    return e;
}

TEST(FaultMatrix, EveryOperationFailingAtEveryPoint)
{
    size_t runs = 0;
    for (const Scenario &s : kScenarios) {
        const Finished clean = RunWith(s, {}, kDevices);
        for (size_t r = 0; r < sizeof kRows / sizeof kRows[0]; r++) {
            const FaultRow &row = kRows[r];
            unsigned made = (unsigned)CallsOf(clean.world, row.op).size();
            for (DWORD code : row.codes) {
                for (unsigned call = 0; call <= made && made > 0; call++) {
                    SCOPED_TRACE(testing::Message() << s.name << ", row " << r << ", code " << Hex(code)
                                                    << ", call " << call << " of " << made);
                    Finished run = RunWith(s, {{row.op, call, code}}, kDevices);
                    Expected e = Expect(s, clean, row, code, call);
                    const World &w = run.world;
                    runs++;
                    EXPECT_EQ(e.out, w.out);
                    EXPECT_EQ(e.status, run.status);
                    EXPECT_EQ(e.updates, w.updates.size());
                    EXPECT_EQ(e.copies, w.copies.size());
                    ASSERT_EQ(e.boxes, w.boxes.size());
                    if (e.boxes) {
                        EXPECT_EQ(w.out, w.boxes[0].outputDelivered) << "lines held back behind the box";
                    }
                    ExpectReleased(w);
                    // Each report names the code that the run carries on with: the last error
                    // that the next operation finds, or that the caller finds at the end.
                    std::vector<std::string> lines = PrintedLines(w);
                    for (size_t i = 0, line = 0; i < w.journal.size(); i++) {
                        if (w.journal[i].op != Op::Print)
                            continue;
                        DWORD reported;
                        if (ReportedCode(w, lines[line++], &reported)) {
                            size_t next = i + 1;
                            while (next < w.journal.size() && w.journal[next].op == Op::Print)
                                next++;
                            EXPECT_EQ(reported, next < w.journal.size() ? w.journal[next].lastError
                                                                        : run.lastError)
                                << lines[line - 1];
                        }
                    }
                    if (row.consequence == kReportAndFail) {
                        EXPECT_EQ(code, run.lastError) << "the caller's last error";
                    }
                }
            }
        }
    }
    EXPECT_GT(runs, 300u) << "the matrix lost its rows";
}
