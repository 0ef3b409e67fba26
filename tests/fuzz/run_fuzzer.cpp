// Feeds whole runs of each program arbitrary machines through the stand-in: device lists whose property
// bytes and reported sizes are anything, faults of any code at any call, single- and
// double-byte code pages, search IDs of any bytes, and now and then any command line,
// open windows, and an exe on another machine than its Windows. Sanitizers catch what
// goes wrong in memory; the invariants that the fault matrix judges its runs by catch
// what goes wrong in the run.
#include "creator/creator.h"
#include "remover/remover.h"
#include "tests/host/invariants.h"
#include "tests/host/expected.h"
#include "tests/host/standin.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <stdlib.h>

static const DWORD kCodes[] = {ERROR_SUCCESS,          ERROR_ACCESS_DENIED,   ERROR_INVALID_HANDLE,
                               ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_DATA,   ERROR_INSUFFICIENT_BUFFER,
                               ERROR_NO_MORE_ITEMS,    ERROR_MOD_NOT_FOUND,   ERROR_PROC_NOT_FOUND,
                               0xE000020B,             0xE0000235};

static const char16_t *const kWizardTitles[] = {kEnglishWizard, kChineseWizard};

// A command-line argument: any bytes up to its first zero.
static std::string Argument(FuzzedDataProvider &data, size_t longest)
{
    std::string text = data.ConsumeRandomLengthString(longest);
    return text.substr(0, text.find('\0'));
}


static DWORD AnyCode(FuzzedDataProvider &data)
{
    return data.ConsumeBool() ? data.PickValueInArray(kCodes) : data.ConsumeIntegral<DWORD>();
}

static DWORD AnySize(FuzzedDataProvider &data, size_t held)
{
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return data.ConsumeIntegralInRange<DWORD>(0, (DWORD)held + 8);
    case 1:
        return MAXDWORD - data.ConsumeIntegralInRange<DWORD>(0, 2);
    default:
        return data.ConsumeIntegral<DWORD>();
    }
}

// A removal: copies in the INF folder, some of the INF's bytes or its other versions,
// devices installed from some of them, any switches.
static void DescribeRemoval(FuzzedDataProvider &data, World &w)
{
    static const char *const kSwitches[] = {"/every-version", "/force", "/FORCE", "/list", "/x"};
    const std::string kinds[] = {kDevInf, kDevInf + "DriverVer=2\r\n", "[Version]\r\nProvider=Other\r\n", ""};
    w.args = {kRemover, "dev.inf"};
    for (size_t i = data.ConsumeIntegralInRange(0, 3); i > 0; i--)
        w.args.push_back(data.PickValueInArray(kSwitches));
    for (size_t i = data.ConsumeIntegralInRange(0, 5); i > 0; i--) {
        std::u16string name = Widened(data.ConsumeBool() ? "oem" + std::to_string(data.ConsumeIntegral<uint8_t>()) + ".inf"
                                                         : Argument(data, 12));
        std::u16string path = kInfFolder + name;
        w.files[path] = data.ConsumeBool() ? data.PickValueInArray(kinds) : Argument(data, 60);
        if (data.ConsumeBool())
            w.originalNames[path] = data.ConsumeBool() ? u"dev.inf" : u"other.inf";
        if (data.ConsumeIntegralInRange(0, 5) == 0)
            w.unreadable.insert(path);
        if (data.ConsumeBool())
            w.devices.push_back({true, std::string("ROOT\\X\0", 8), std::nullopt, data.ConsumeBool(), name});
    }
    w.driverUninstallKnown = data.ConsumeBool();
    w.removalNeedsRestart = data.ConsumeBool();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    World w = UsualMachine();
    bool removal = data.ConsumeIntegralInRange(0, 3) == 0;
    if (removal)
        DescribeRemoval(data, w);
    const std::set<unsigned char> pages[] = {{}, CodePage932LeadBytes(), CodePage936LeadBytes()};
    w.leadBytes = data.PickValueInArray(pages);
    w.successKeepsLastError = data.ConsumeBool();
    w.rebootRequired = data.ConsumeBool();
    std::string id = Argument(data, 80);
    // Mostly the usual command line, so that runs reach the search; sometimes any.
    if (removal) {
    } else if (data.ConsumeIntegralInRange(0, 7) != 0) {
        w.args = {kProgram, "dev.inf", id};
    } else {
        size_t count = data.ConsumeIntegralInRange(0, 4);
        for (size_t i = 0; i < count; i++)
            w.args.push_back(i == 2 ? id : Argument(data, 1100));
        if (count > 1)
            w.files = {{Widened(w.args[0].substr(0, w.args[0].rfind('\\') + 1) + w.args[1]), ""}};
    }
    for (size_t i = data.ConsumeIntegralInRange(0, 2); i > 0; i--) {
        w.windows.push_back(data.ConsumeBool() ? kWizardTitles[data.ConsumeBool()]
                                               : Widened(Argument(data, 40)));
        if (data.ConsumeBool())
            w.hung.insert(w.windows.back());
    }

    size_t devices = data.ConsumeIntegralInRange(0, 12);
    for (size_t i = 0; i < devices; i++) {
        Device device{data.ConsumeBool(), data.ConsumeRandomLengthString(160)};
        device.present = data.ConsumeIntegralInRange(0, 7) != 0;
        if (data.ConsumeIntegralInRange(0, 3) == 0)
            device.claimedSize = AnySize(data, device.ids.size());
        // How it is after a forced install: well, failing, waiting for a restart, disabled.
        static const ULONG kProblems[] = {0, 10, CM_PROB_NEED_RESTART, CM_PROB_DISABLED, 52};
        device.status = data.ConsumeIntegral<ULONG>() & (DN_HAS_PROBLEM | DN_NEED_RESTART | DN_STARTED);
        device.problem = data.PickValueInArray(kProblems);
        w.devices.push_back(device);
    }
    size_t faults = data.ConsumeIntegralInRange(0, 3);
    for (size_t i = 0; i < faults; i++)
        w.faults.push_back({data.PickValueInArray(kAllOps), data.ConsumeIntegralInRange(0u, 30u),
                            AnyCode(data)});

    // Last, so that an input that ends early keeps the station a person sees and an exe
    // native to its Windows.
    w.stationVisible = !data.ConsumeBool();
    static const DWORD kMachines[] = {IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64, IMAGE_FILE_MACHINE_ARM64};
    static const char16_t *const kImages[] = {u"C:\\setup\\x86\\drvplant.exe", u"C:\\setup\\x64\\drvplant.exe",
                                              u"C:\\setup\\arm64\\drvplant.exe", u"C:\\drvplant.exe"};
    w.exeMachine = data.PickValueInArray(kMachines);
    w.nativeMachine = data.PickValueInArray(kMachines);
    w.imagePath = data.PickValueInArray(kImages);
    for (const char16_t *image : kImages)
        if (data.ConsumeBool())
            w.files[image] = data.ConsumeBool() ? "MZ" : "not an image";
    w.startedStatus = data.ConsumeIntegral<DWORD>();
    w.installsPending = data.ConsumeBool();
    // An install run is drvcreate's now and then; an input that ends early keeps drvplant.
    bool creation = !removal && data.ConsumeBool();

    world = &w;
    int status = RunProgram(removal ? RemoveMain : creation ? CreateMain : InstallMain);
    DWORD lastError = GetLastError();
    world = nullptr;

    std::vector<std::string> broken = removal    ? BrokenRemovalInvariants(w, status, lastError)
                                      : creation ? BrokenCreationInvariants(w, status, lastError)
                                                 : BrokenInvariants(w, status, lastError);
    for (const std::string &what : broken)
        fprintf(stderr, "broken: %s\n", what.c_str());
    if (!broken.empty())
        fprintf(stderr, "status %d, output:\n%s\n", status, w.out.c_str()), abort();
    return 0;
}
