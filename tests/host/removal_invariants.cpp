// drvremove's invariants: what every removal or listing keeps, whatever failed.
#include "invariants.h"
#include "rooms.h"
#include "expected.h"
#include "remover/remover.h"

#include <string.h>
#include <strings.h>

#include <algorithm>

// The path a program run on w was given as INF_File: beside element 0, as both programs
// compose it.
static std::u16string InfFileOf(const World &w)
{
    std::u16string program = w.wideArgs.size() > 0 ? w.wideArgs[0] : Widened(w.args[0]);
    std::u16string inf = w.wideArgs.size() > 1 ? w.wideArgs[1] : Widened(w.args[1]);
    return program.substr(0, program.rfind(u'\\') + 1) + inf;
}

static bool IsCopyPath(const World &w, const std::u16string &path)
{
    std::u16string folder = w.windowsFolder + u"\\inf\\";
    if (path.compare(0, folder.size(), folder) != 0)
        return false;
    std::u16string name = path.substr(folder.size());
    size_t digits = name.find_first_not_of(u"0123456789", 3);
    return name.size() > 7 && (name[0] | 0x20) == 'o' && (name[1] | 0x20) == 'e' && (name[2] | 0x20) == 'm' &&
           digits > 3 && digits <= 11 && name.size() == digits + 4 &&
           Widened(".inf") == std::u16string(name.substr(digits)); // as Windows names them
}

// The copy a line of a removal is about: its "Removed" line or its failure; empty for others.
static std::string CopyOfLine(const std::string &line)
{
    if (line.compare(0, 8, "Removed ") == 0)
        return line.substr(8, line.size() - 10);
    size_t failure = line.find(" FAILURE: ");
    return failure == std::string::npos ? "" : line.substr(0, failure);
}

static bool IsRootId(const std::string &id) { return strncasecmp(id.c_str(), "ROOT\\", 5) == 0; }

// A fault that the device walk cannot tell from a device not of a copy's, or not root: a
// set that ends early, a driver key or an instance ID that cannot be read.
static bool HidesDevices(const World &w)
{
    return std::any_of(w.faults.begin(), w.faults.end(), [](const Fault &f) {
        return f.op == Op::SetupDiOpenDevRegKey || f.op == Op::RegQueryValueExW || f.op == Op::SetupDiGetDeviceInstanceIdA ||
               (f.op == Op::SetupDiEnumDeviceInfo && (f.code == ERROR_NO_MORE_ITEMS || f.code == ERROR_SUCCESS));
    });
}

// The root-enumerated devices, present or not, whose driver came from the copy name.
static std::vector<size_t> RootDevicesOf(const World &w, const std::string &name)
{
    std::vector<size_t> devices;
    for (size_t i = 0; i < w.devices.size(); i++)
        if (IsRootId(InstanceIdOf(w, i)) && SameFolded(w.devices[i].infPath, Widened(name)))
            devices.push_back(i);
    return devices;
}

// A listing ends with a "Found" line for each copy, in the order that a removal of the
// machine it found, after the same lines, then takes them on; each followed by a line for
// each root device installed from it (all of them unless its failure followed or a fault
// hid one).
static void CheckListing(const World &w, std::vector<std::string> *broken)
{
    World removal = *w.asStarted;
    for (size_t i = 2; i < removal.args.size(); i++)
        if (strcasecmp(removal.args[i].c_str(), "/list") == 0) {
            removal.args.erase(removal.args.begin() + (long)i);
            if (removal.wideArgs.size() > i)
                removal.wideArgs.erase(removal.wideArgs.begin() + (long)i);
            break;
        }
    World *listed = world;
    world = &removal;
    RunProgram(RemoveMain);
    world = listed;
    std::vector<std::string> lines = PrintedLines(w), removalLines = PrintedLines(removal), found, taken;
    size_t names = 0;
    while (names < lines.size() && lines[names].compare(0, 6, "Found ") != 0)
        names++;
    // Per copy: the devices named after it, and whether its own failure line followed.
    bool devicesNamed = true, failed = false;
    size_t named = 0;
    auto copyDone = [&]() {
        devicesNamed = devicesNamed && (found.empty() || failed || HidesDevices(w) ||
                                        named == RootDevicesOf(*w.asStarted, found.back()).size());
        named = 0;
        failed = false;
    };
    for (size_t i = names; i < lines.size(); i++) {
        std::string line = lines[i].substr(6, lines[i].size() - 8), copy = CopyOfLine(lines[i]);
        bool foundLine = lines[i].compare(0, 6, "Found ") == 0;
        if (foundLine && !IsCopyName(Widened(line).c_str())) {
            std::vector<size_t> of = found.empty() ? std::vector<size_t>{} : RootDevicesOf(*w.asStarted, found.back());
            // Only a root device of that copy: whether the removal then takes it is the
            // removal's own invariants' to say, since the same faults land on other calls there.
            devicesNamed = devicesNamed && std::any_of(of.begin(), of.end(), [&](size_t d) {
                return InstanceIdOf(*w.asStarted, d) == line;
            });
            named++;
        } else if (foundLine) {
            copyDone();
            found.push_back(line);
        } else if (!found.empty() && found.back() == copy) {
            failed = true;
        } else {
            found.push_back(copy.empty() ? lines[i] : copy);
        }
    }
    copyDone();
    for (size_t i = names; i < removalLines.size(); i++)
        if (!CopyOfLine(removalLines[i]).empty() && (taken.empty() || taken.back() != CopyOfLine(removalLines[i])))
            taken.push_back(CopyOfLine(removalLines[i]));
    if (removalLines.size() < names || !std::equal(lines.begin(), lines.begin() + (long)names, removalLines.begin()) ||
        found != taken)
        broken->push_back("a listing that names other copies than a removal takes on");
    if (!devicesNamed)
        broken->push_back("a listing that names other devices than the root ones a removal takes with their copy");
}

// Whether a switch, in any case, follows INF_File.
static bool HasSwitch(const World &w, const char *name)
{
    return std::any_of(w.args.begin() + std::min<size_t>(2, w.args.size()), w.args.end(),
                       [name](const std::string &arg) { return strcasecmp(arg.c_str(), name) == 0; });
}

std::vector<std::string> BrokenRemovalInvariants(const World &w, int status, DWORD)
{
    std::vector<std::string> broken;
    auto require = [&broken](bool holds, const std::string &what) {
        if (!holds)
            broken.push_back(what);
    };
    bool printed = !FaultSetOn(w, Op::printf), everyVersion = HasSwitch(w, "/every-version");
    if (EveryRunBreaks(w, status, &broken))
        return broken;
    require(CallsMade(w, Op::MessageBoxA) + CallsMade(w, Op::FindWindowW) + CallsMade(w, Op::SendMessageTimeoutA) == 0 &&
                w.prompts.empty(),
            "a box, prompt or window touched");
    std::string inf = w.args.size() > 1 && w.files.count(InfFileOf(w)) ? w.files.at(InfFileOf(w)) : "";
    for (const auto &gone : w.deleted) {
        require(IsCopyPath(w, gone.first), "deleted a file that is no published copy");
        require(everyVersion || gone.second == inf, "deleted a copy of other bytes without /every-version");
        std::string name(gone.first.begin() + gone.first.rfind(u'\\') + 1, gone.first.end());
        require(!printed || w.out.find("Removed " + name + "\r\n") != std::string::npos,
                "a copy removed without its line");
    }
    size_t announced = 0;
    for (size_t at = w.out.find("Removed "); at != std::string::npos; at = w.out.find("Removed ", at + 1))
        announced++;
    require(announced <= w.deleted.size(), "a line for a copy that was not removed");
    // Nothing but software brings a root device back: it goes with its copy, unless forced
    // past its failure, or a fault hid it.
    bool forced = HasSwitch(w, "/force");
    for (const auto &gone : w.deleted) {
        std::string name(gone.first.begin() + gone.first.rfind(u'\\') + 1, gone.first.end());
        for (size_t device : w.asStarted ? RootDevicesOf(*w.asStarted, name) : std::vector<size_t>{})
            require(w.devices[device].removed || HidesDevices(w) ||
                        (forced && w.out.find(name + " FAILURE: ") != std::string::npos),
                    "a root device left behind by the removal of its copy " + name);
    }
    require(status != 87 || w.deleted.empty(), "removed something after a usage error");
    bool listing = HasSwitch(w, "/list");
    if (listing) {
        require(CallsMade(w, Op::SetupUninstallOEMInfW) + CallsMade(w, Op::DiUninstallDriverW) +
                        CallsMade(w, Op::SetupDiCallClassInstaller) == 0 && w.deleted.empty(),
                "a listing that removed, or tried to");
        if (printed && status != 87 && w.asStarted)
            CheckListing(w, &broken);
    }
    require(w.nonInteractive || FaultSetOn(w, Op::SetupSetNonInteractiveMode), "SetupAPI left free to ask");
    // With the system's text or, where that could not be had, the bare code. A failure
    // that left no code is reported with 0 and ends with ERROR_INVALID_FUNCTION.
    auto reported = [&w](DWORD code) {
        return w.out.find(ReportLine("", code, w)) != std::string::npos ||
               w.out.find(HexReportLine("", code)) != std::string::npos;
    };
    bool reportedStatus = reported((DWORD)status) || (status == 1 && reported(0));
    bool restartLine = w.out.find("(Reboot Required)\r\n") != std::string::npos;
    if (printed)
        require(status == 0 || status == 87 || (status == 3010 && restartLine) ||
                    (status == 2 && w.out.find("  File not found.\r\n") == 0) ||
                    (reportedStatus && w.out.find(" FAILURE: ") != std::string::npos),
                "an exit status that is neither 0, 3010 after its line, a usage or not-found status, "
                "nor a reported failure's code");
    // A native exe that could not be started is reported, and then this exe does the run.
    std::string own = w.out;
    std::vector<std::string> lines = PrintedLines(w);
    if (CallsMade(w, Op::CreateProcessW) != 0 && !lines.empty() && lines[0].find(".exe FAILURE: ") != std::string::npos)
        own = w.out.substr(lines[0].size());
    require(status != 0 || own.find(" FAILURE: ") == std::string::npos || !printed, "status 0 after a failure");
    return broken;
}
