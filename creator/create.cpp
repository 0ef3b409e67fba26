#include "creator/creator.h"

static const char kUsage[] = "usage: drvcreate <INF_File> <Hardware_ID>\n";

// Quiet, so that neither registering nor taking the device back may show a class
// installer's message that nobody is there to answer: failures are lines.
static BOOL MakeQuiet(HDEVINFO set, SP_DEVINFO_DATA *device)
{
    SP_DEVINSTALL_PARAMS_W install;
    install.cbSize = sizeof install;
    if (!SetupDiGetDeviceInstallParamsW(set, device, &install))
        return FALSE;
    install.Flags |= DI_QUIETINSTALL;
    return SetupDiSetDeviceInstallParamsW(set, device, &install);
}

// The hardware ID as a multi-string of one: the ID, its terminator and the list's.
static BOOL WriteHardwareId(HDEVINFO set, SP_DEVINFO_DATA *device, const WCHAR *wideId)
{
    static WCHAR ids[MAX_DEVICE_ID_LEN + 2];
    DWORD length = (DWORD)lstrlenW(wideId);
    // Windows takes no longer device ID; none present could have carried it either.
    if (length > MAX_DEVICE_ID_LEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lstrcpynW(ids, wideId, (int)length + 1);
    ids[length + 1] = 0;
    return SetupDiSetDeviceRegistryPropertyW(set, device, SPDRP_HARDWAREID, (const BYTE *)ids,
                                             (length + 2) * (DWORD)sizeof(WCHAR));
}

// The device is registered: from here on, a run that fails takes it back, so that no
// device is left without its driver. The status of the install onto it.
static int ForceOntoMade(const InstallRun &run, HDEVINFO set, SP_DEVINFO_DATA *device)
{
    char id[MAX_DEVICE_ID_LEN + 1];
    BOOL rebootRequired = FALSE;
    if (!SetupDiGetDeviceInstanceIdA(set, device, id, sizeof id, NULL)) {
        ReportFailure(kInstanceIdLabel);
    } else {
        PrintKeepingLastError("Created %s\n", id);
        if (ForceDriver(run, &rebootRequired))
            return rebootRequired ? kInstalledRestartNeeded : kInstalled;
    }
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set, device))
        ReportFailure(kTakeBackLabel);
    return kFailed;
}

// A root-enumerated device of the INF's class, named by it, carrying the ID alone; then
// the driver forced onto it, as onto a present one.
static int CreateAndForce(const InstallRun &run)
{
    // A search that did not see every device and its IDs may have missed one that carries
    // the ID: a second device is worse than none.
    if (!run.searchedAll)
        return kFailed;
    GUID classGuid;
    WCHAR className[MAX_CLASS_NAME_LEN];
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    if (!SetupDiGetINFClassW(run.infPath, &classGuid, className, MAX_CLASS_NAME_LEN, NULL)) {
        ReportFailure(kReadClassLabel);
        return kFailed;
    }
    HDEVINFO set = SetupDiCreateDeviceInfoList(&classGuid, NULL);
    if (set == INVALID_HANDLE_VALUE) {
        ReportFailure(kNewSetLabel);
        return kFailed;
    }
    int status = kFailed;
    // An element that is never registered goes with the set.
    if (!SetupDiCreateDeviceInfoW(set, className, &classGuid, NULL, NULL, DICD_GENERATE_ID, &device))
        ReportFailure(kNewDeviceLabel);
    else if (!MakeQuiet(set, &device))
        ReportFailure(kQuietLabel);
    else if (!WriteHardwareId(set, &device, run.wideId))
        ReportFailure(kWriteIdsLabel);
    else if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device))
        ReportFailure(kRegisterLabel);
    else
        status = ForceOntoMade(run, set, &device);
    SetupDiDestroyDeviceInfoList(set);
    // Looked at as drvplant looks at the devices it forced, once the set is given back.
    return status == kFailed ? kFailed : ForcedDevicesStatus(run.hardwareId, status);
}

int CreateMain(int count, char **args, WCHAR **wideArgs)
{
    return RunInstall(count, args, wideArgs, kUsage, CreateAndForce);
}
