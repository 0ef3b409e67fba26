#include "invariants.h"
#include "rooms.h"
#include "expected.h"
#include "installer/installer.h"
#include "creator/creator.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

std::vector<std::string> PrintedLines(const World &w)
{
    std::vector<size_t> starts;
    for (const Call &call : w.journal)
        if (call.op == Op::printf)
            starts.push_back(call.outAt);
    std::vector<std::string> lines;
    for (size_t i = 0; i < starts.size(); i++) {
        size_t end = i + 1 < starts.size() ? starts[i + 1] : w.out.size();
        lines.push_back(w.out.substr(starts[i], end - starts[i]));
    }
    return lines;
}

// The code that a failure report names; false when the line is no report. named is
// false when the report names no code that could have given it.
static bool ReportedCode(const World &w, const std::string &line, DWORD *code, bool *named)
{
    const char *label = NULL;
    auto match = [&](const char *known) {
        if (line.compare(0, strlen(known) + 10, std::string(known) + " FAILURE: ") == 0)
            label = known;
    };
    std::for_each(std::begin(kReportLabels), std::end(kReportLabels), match);
    std::for_each(std::begin(kCreationLabels), std::end(kCreationLabels), match);
    if (label == NULL)
        return false;
    *named = false;
    for (const auto &text : kPrintedTexts)
        if (line == ReportLine(label, text.first, w)) {
            *code = text.first;
            *named = true;
        }
    unsigned hex;
    if (!*named && sscanf(line.c_str() + strlen(label) + 10, "(0x%08x)", &hex) == 1) {
        *code = hex;
        *named = line == HexReportLine(label, hex);
    }
    return true;
}

// Each report names the code that the run carries on with: the last error that the next
// operation finds, or that the caller finds at the end.
static void CheckReports(const World &w, DWORD lastError, std::vector<std::string> *broken)
{
    std::vector<std::string> lines = PrintedLines(w);
    for (size_t i = 0, line = 0; i < w.journal.size(); i++) {
        if (w.journal[i].op != Op::printf)
            continue;
        const std::string &text = lines[line++];
        DWORD reported;
        bool named;
        if (!ReportedCode(w, text, &reported, &named))
            continue;
        size_t next = i + 1;
        while (next < w.journal.size() && w.journal[next].op == Op::printf)
            next++;
        DWORD carried = next < w.journal.size() ? w.journal[next].lastError : lastError;
        if (!named)
            broken->push_back("a report that names no code: " + text);
        else if (reported != carried)
            broken->push_back("a report of a code the run does not carry on with: " + text);
    }
}

// How the calls of op ended: made (attempted), and of those, succeeded.
size_t CallsMade(const World &w, Op op, bool succeededOnly)
{
    return (size_t)std::count_if(w.journal.begin(), w.journal.end(), [&](const Call &call) {
        return call.op == op && (call.succeeded || !succeededOnly);
    });
}

bool FaultSetOn(const World &w, Op op)
{
    return std::any_of(w.faults.begin(), w.faults.end(), [op](const Fault &fault) { return fault.op == op; });
}

std::string Unreleased(const World &w)
{
    std::string held;
    if (!w.blocks.empty() || w.badFrees != 0)
        held += "blocks leaked or freed twice; ";
    // Sets, INFs and keys are the program's to give back, even where giving back then fails.
    if (CallsMade(w, Op::SetupDiGetClassDevsA, true) + CallsMade(w, Op::SetupDiCreateDeviceInfoList, true) !=
            CallsMade(w, Op::SetupDiDestroyDeviceInfoList) ||
        CallsMade(w, Op::SetupOpenInfFileW, true) != CallsMade(w, Op::SetupCloseInfFile) ||
        CallsMade(w, Op::SetupDiOpenDevRegKey, true) != CallsMade(w, Op::RegCloseKey) ||
        w.openSearches != 0 || !w.openFiles.empty() || !w.processHandles.empty())
        held += "a device set, file search, file, INF, key or process left open; ";
    return held;
}

// A run handed to the native exe is that exe's alone: this one installs, removes, shows
// and prints nothing, and ends with its status. It starts one exe, never itself, only
// where it runs emulated, with the caller's command line and standard handles and its own
// environment and current folder.
static bool HandedOff(const World &w, int status, std::vector<std::string> *broken)
{
    if (CallsMade(w, Op::CreateProcessW) == 0)
        return false;
    auto require = [broken](bool holds, const char *what) {
        if (!holds)
            broken->push_back(what);
    };
    require(w.exeMachine != w.nativeMachine, "started another exe where this one is native");
    if (w.started.empty())
        return false;
    const Started &s = w.started[0];
    for (Op own : {Op::UpdateDriverForPlugAndPlayDevicesW, Op::SetupCopyOEMInfW, Op::MessageBoxA, Op::SetupDiCreateDeviceInfoW,
                   Op::SetupUninstallOEMInfW, Op::DiUninstallDriverW, Op::SetupDiCallClassInstaller, Op::printf})
        require(CallsMade(w, own) == 0, "an installing, removing, showing or printing call after the handoff");
    require(status == (int)w.startedStatus, "a status other than the native exe's");
    require(w.started.size() == 1 && !SameFolded(s.application, w.imagePath), "started itself, or more than once");
    require(s.commandLine == w.commandLine, "a command line other than the caller's");
    require(s.inheritHandles && (s.startupFlags & STARTF_USESTDHANDLES) != 0 && s.standardHandles[0] == GetStdHandle(STD_INPUT_HANDLE) &&
                s.standardHandles[1] == GetStdHandle(STD_OUTPUT_HANDLE) && s.standardHandles[2] == GetStdHandle(STD_ERROR_HANDLE),
            "standard handles other than the caller's");
    require(!s.ownEnvironment && !s.ownFolder, "an environment or current folder other than the caller's");
    return true;
}

bool EveryRunBreaks(const World &w, int status, std::vector<std::string> *broken)
{
    for (const std::string &what : w.unmodelled)
        broken->push_back("asked the stand-in for what it does not model: " + what);
    if (!Unreleased(w).empty())
        broken->push_back(Unreleased(w));
    return HandedOff(w, status, broken);
}

// What the present devices that a forced install looks at afterwards say: those that
// carry the argument among their IDs, upper-cased, as the search compares them.
struct Verdict {
    bool fails = false, waits = false;
};
static Verdict DevicesVerdict(const World &w)
{
    Verdict v;
    std::string wanted = w.args.size() > 2 ? w.args[2] : "";
    for (const Device &d : w.devices) {
        std::string ids = d.ids;
        std::transform(ids.begin(), ids.end(), ids.begin(), [](char c) { return (char)toupper((unsigned char)c); });
        if (!d.present || !d.hasIds || ("\0" + ids + "\0").find("\0" + wanted + "\0") == std::string::npos)
            continue;
        ULONG problem = (d.status & DN_HAS_PROBLEM) != 0 ? d.problem : 0;
        bool waits = (d.status & DN_NEED_RESTART) != 0 || problem == CM_PROB_NEED_RESTART;
        v.waits = v.waits || waits;
        v.fails = v.fails || (!waits && (d.status & DN_HAS_PROBLEM) != 0 && problem != CM_PROB_DISABLED);
    }
    return v;
}

// Whether a present device carries the argument among its IDs, upper-cased, as the search
// compares them: up to the first empty string, in what the platform hands out.
static bool CarriesArgument(const World &w, const Device &d)
{
    std::string wanted = w.args.size() > 2 ? w.args[2] : "";
    std::string ids = d.ids.substr(0, d.claimedSize ? *d.claimedSize : d.ids.size());
    std::transform(ids.begin(), ids.end(), ids.begin(), [](char c) { return (char)toupper((unsigned char)c); });
    for (size_t at = 0; d.present && d.hasIds && at < ids.size();) {
        size_t end = std::min(ids.find('\0', at), ids.size());
        if (end == at)
            break;
        if (ids.compare(at, end - at, wanted) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

// drvcreate's own: at most one device made, none beside a present one that carries the
// ID (a second run makes no second device), and a made one either got the driver or was
// taken back, or its removal failed with its line.
static void CheckMadeDevices(const World &w, std::vector<std::string> *broken)
{
    auto require = [broken](bool holds, const char *what) {
        if (!holds)
            broken->push_back(what);
    };
    bool printed = !FaultSetOn(w, Op::printf), alreadyThere = false;
    size_t made = 0;
    for (const Device &d : w.devices) {
        alreadyThere = alreadyThere || (!d.made && CarriesArgument(w, d));
        if (!d.made)
            continue;
        // A set whose destruction failed holds its element until the process ends.
        require(d.registered || FaultSetOn(w, Op::SetupDiDestroyDeviceInfoList), "an element left in no set");
        if (!d.registered)
            continue;
        made++;
        require(!d.infPath.empty() || d.removed || !printed ||
                    w.out.find(std::string(kTakeBackLabel) + " FAILURE: ") != std::string::npos,
                "a made device left without its driver, and no line that says so");
        require(!printed || w.out.find("Created " + d.instanceId + "\r\n") != std::string::npos ||
                    CallsMade(w, Op::SetupDiGetDeviceInstanceIdA, true) == 0,
                "a made device without its line");
    }
    require(made <= 1, "more than one device made");
    require(made == 0 || !alreadyThere, "a device made beside a present one that carries the ID");
    require(w.boxes.empty() && std::count(w.prompts.begin(), w.prompts.end(), "a class installer's message") == 0,
            "a box, or a class installer's message");
}

static std::vector<std::string> Broken(const World &w, int status, DWORD lastError, bool creates)
{
    std::vector<std::string> broken;
    auto require = [&broken](bool holds, const char *what) {
        if (!holds)
            broken.push_back(what);
    };
    bool printed = !FaultSetOn(w, Op::printf),
         stationAnswered = !FaultSetOn(w, Op::GetProcessWindowStation) && !FaultSetOn(w, Op::GetUserObjectInformationA);
    if (EveryRunBreaks(w, status, &broken))
        return broken;
    size_t updates = CallsMade(w, Op::UpdateDriverForPlugAndPlayDevicesW);
    size_t copies = CallsMade(w, Op::SetupCopyOEMInfW);
    bool forced = CallsMade(w, Op::UpdateDriverForPlugAndPlayDevicesW, true) != 0;
    bool installed = forced || CallsMade(w, Op::SetupCopyOEMInfW, true) != 0;
    // A device that cannot be looked at is passed over: it can only take a failure or a
    // restart away, and in a run without faults every one is looked at.
    Verdict devices = forced ? DevicesVerdict(w) : Verdict{};
    bool unfaulted = w.faults.empty();
    require(status == kFailed ? !installed || devices.fails
            : status == kInstalledRestartNeeded ? forced && (w.restartAsked || devices.waits)
                                                : installed && !(forced && w.restartAsked),
            "an exit status that is not 0 for an installation, 1 for a forced one that asked for "
            "a restart or whose device waits for one, 2 for none or a device with a problem");
    require(!unfaulted || status == (!installed || devices.fails                ? kFailed
                                     : forced && (w.restartAsked || devices.waits) ? kInstalledRestartNeeded
                                                                                   : kInstalled),
            "a device's problem or restart that a run without faults did not see");
    require(!printed || (w.out.find(kSuccess) != std::string::npos) == (status != kFailed),
            "the success line without an installation that stands, or one without it");
    // The devices are looked at once Windows has finished with them, but not for ever.
    require(CallsMade(w, Op::CMP_WaitNoPendingInstallEvents) == (forced ? 1u : 0u) && w.installWait != INFINITE,
            "no bounded wait for the devices after a forced install, or one without it");
    require(updates + copies <= 1, "more than one installation");
    require(w.stationVisible || !stationAnswered || updates + copies == 0 || w.nonInteractive ||
                FaultSetOn(w, Op::SetupSetNonInteractiveMode),
            "SetupAPI left free to ask where nobody sees the run");
    require(w.boxes.size() <= 1 && (w.boxes.empty() || (copies == 1 && !installed)),
            "a box without a failed pre-installation");
    if (creates)
        CheckMadeDevices(w, &broken);
    require((w.boxes.empty() && w.prompts.empty()) || w.stationVisible || !stationAnswered,
            "a box or prompt on a window station that nobody sees");
    require(w.boxes.empty() || w.boxes[0].outputDelivered == w.out, "lines held back behind the box");
    require(w.closed.size() <= 1, "more than one window closed");
    // Windows counts a window as hung after five seconds; nobody should wait longer on one.
    require(w.waited <= 5000, "waited more than 5 s on a window");
    require(w.args.size() == 3 || updates + copies == 0,
            "an installation without exactly two arguments");
    // The driver is forced only onto a device the search really found.
    if (printed && updates != 0)
        require((w.out.find("Found! [") != std::string::npos || (creates && w.out.find("Created ") != std::string::npos)) &&
                    (w.updates.empty() || w.updates[0].hardwareId == (w.wideArgs.size() > 2 ? w.wideArgs[2] : Widened(w.args[2]))),
                "a forced update without a found device");
    CheckReports(w, lastError, &broken);
    return broken;
}

std::vector<std::string> BrokenInvariants(const World &w, int status, DWORD lastError)
{
    return Broken(w, status, lastError, false);
}

std::vector<std::string> BrokenCreationInvariants(const World &w, int status, DWORD lastError)
{
    return Broken(w, status, lastError, true);
}
