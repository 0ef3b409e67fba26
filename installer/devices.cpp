#include "installer/installer.h"

// How long a forced install waits for Windows to finish installing the devices it found:
// a device can take a while to start, but a setup must not wait for ever. Past it, the
// devices are looked at as they are.
static const DWORD kInstallPatience = 60000;

// The answers a device gives that are not the install's failure.
static BOOL WaitsForRestart(ULONG state, ULONG problem)
{
    return (state & DN_NEED_RESTART) != 0 || ((state & DN_HAS_PROBLEM) != 0 && problem == CM_PROB_NEED_RESTART);
}

// number in decimal, as Device Manager shows a problem's Code, in digits' last 11 bytes.
static const char *Decimal(ULONG number, char (&digits)[11])
{
    char *at = digits + sizeof digits - 1;
    *at = '\0';
    do
        *--at = (char)('0' + number % 10);
    while ((number /= 10) != 0);
    return at;
}

int ForcedDevicesStatus(const char *hardwareId, int status)
{
    CMP_WaitNoPendingInstallEvents(kInstallPatience);
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return status;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    ULONG state, problem;
    char id[MAX_DEVICE_ID_LEN + 1], code[11];
    // A device that went away, or whose status cannot be read, is passed over.
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); index++) {
        if (!CarriesId(set, &device, hardwareId, NULL) ||
            CM_Get_DevNode_Status(&state, &problem, device.DevInst, 0) != CR_SUCCESS)
            continue;
        if (WaitsForRestart(state, problem)) {
            if (status != kFailed)
                status = kInstalledRestartNeeded;
        } else if ((state & DN_HAS_PROBLEM) != 0 && problem != CM_PROB_DISABLED) {
            // A device that a person disabled stays so; any other problem fails the install.
            // Without its instance ID the line still names the device by the ID it carries.
            BOOL named = SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, NULL);
            PrintKeepingLastError("%s FAILURE: Code %s\n", named ? id : hardwareId, Decimal(problem, code));
            status = kFailed;
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return status;
}
