#include "remover/remover.h"

#include <string.h>

// Whether the device's driver was installed from the copy name: its driver key names it.
static BOOL InstalledFrom(HDEVINFO set, SP_DEVINFO_DATA *device, const WCHAR *name)
{
    WCHAR infPath[MAX_PATH];
    DWORD type = 0, size = sizeof infPath - sizeof(WCHAR);
    BOOL from = FALSE;
    // A device without a driver has no key to open: it is no device of the copy's.
    HKEY key = SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (key == (HKEY)INVALID_HANDLE_VALUE)
        return FALSE;
    infPath[MAX_PATH - 1] = 0; // a value that fills the room still ends here
    if (RegQueryValueExW(key, WIDE("InfPath"), NULL, &type, (BYTE *)infPath, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        infPath[size / sizeof(WCHAR) < MAX_PATH ? size / sizeof(WCHAR) : MAX_PATH - 1] = 0;
        from = SameIgnoringCase(infPath, name);
    }
    RegCloseKey(key);
    return from;
}

// Failures that forcing cannot mend: a 32-bit process on 64-bit Windows, and a caller
// without the rights.
static BOOL ForcingCanMend(DWORD code)
{
    return code != ERROR_IN_WOW64 && code != ERROR_ACCESS_DENIED;
}

// Removed from every hardware profile, quietly: a class installer may otherwise show a
// message of its own, which nobody may be there to answer.
static BOOL RemoveDevice(HDEVINFO set, SP_DEVINFO_DATA *device, BOOL *restart)
{
    SP_REMOVEDEVICE_PARAMS params;
    SP_DEVINSTALL_PARAMS_W install;
    BOOL removed = FALSE;
    params.ClassInstallHeader.cbSize = sizeof params.ClassInstallHeader;
    params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
    params.Scope = DI_REMOVEDEVICE_GLOBAL;
    params.HwProfile = 0;
    install.cbSize = sizeof install;
    // Without the class parameters DIF_REMOVE removes globally all the same, which is why
    // Wine 8, whose SetupDiSetClassInstallParamsW is a stub answering FALSE, still removes
    // the device.
    if (SetupDiGetDeviceInstallParamsW(set, device, &install)) {
        install.Flags |= DI_QUIETINSTALL;
        if (SetupDiSetDeviceInstallParamsW(set, device, &install)) {
            SetupDiSetClassInstallParamsW(set, device, &params.ClassInstallHeader, sizeof params);
            removed = SetupDiCallClassInstaller(DIF_REMOVE, set, device);
        }
    }
    // Wine takes the removed device out of the set, and its parameters with it: no
    // restart was asked for then.
    if (removed && SetupDiGetDeviceInstallParamsW(set, device, &install) &&
        (install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0)
        *restart = TRUE;
    return removed;
}

// Whether the device is root-enumerated, which only software brings back: its instance ID
// starts with ROOT\ in any case (read as one little-endian word). An ID that cannot be read
// is not known to be root.
static BOOL IsRootDevice(HDEVINFO set, SP_DEVINFO_DATA *device, char *id)
{
    DWORD head;
    if (!SetupDiGetDeviceInstanceIdA(set, device, id, MAX_DEVICE_ID_LEN + 1, NULL))
        return FALSE;
    memcpy(&head, id, sizeof head);
    return (head | 0x20202020) == 0x746f6f72 && id[4] == '\\';
}

BOOL TakeDevicesOf(const WCHAR *name, DeviceWalk walk, BOOL force, BOOL *restart, BOOL *passedOver,
                   DWORD *deviceFailure)
{
    SP_DEVINFO_DATA device;
    char id[MAX_DEVICE_ID_LEN + 1];
    DWORD count = 0, failure = ERROR_SUCCESS;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        failure = GetLastError();
    } else {
        device.cbSize = sizeof device;
        while (SetupDiEnumDeviceInfo(set, count, &device))
            count++;
        if (GetLastError() != ERROR_NO_MORE_ITEMS)
            failure = GetLastError();
        for (DWORD index = count; (failure == ERROR_SUCCESS || force) && index-- > 0;) {
            BOOL done = SetupDiEnumDeviceInfo(set, index, &device);
            if (done && InstalledFrom(set, &device, name)) {
                if (walk != kEveryDevice && !IsRootDevice(set, &device, id))
                    *passedOver = TRUE;
                else if (walk == kNameRootDevices)
                    PrintKeepingLastError("Found %s\n", id);
                else
                    done = RemoveDevice(set, &device, restart);
            }
            if (!done && failure == ERROR_SUCCESS)
                failure = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_FUNCTION;
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    SetLastError(failure);
    if (failure == ERROR_SUCCESS)
        return TRUE;
    if (!force || !ForcingCanMend(failure))
        return FALSE;
    if (*deviceFailure == ERROR_SUCCESS)
        *deviceFailure = failure;
    return TRUE;
}

BOOL RemoveCopy(const WCHAR *folder, const WCHAR *name, BOOL force, BOOL *restart,
                DWORD *deviceFailure)
{
    WCHAR path[MAX_PATH];
    BOOL needed = FALSE, removed = FALSE, passedOver = FALSE;
    *deviceFailure = ERROR_SUCCESS;
    lstrcpynW(path, folder, MAX_PATH);
    lstrcatW(path, name);
    // Windows 10 1703 and later move each device to its next-best driver themselves, but
    // leave a root-enumerated one, which nothing else can bring back, without any: those
    // go first, on every Windows.
    if (TakeDevicesOf(name, kRootDevices, force, &needed, &passedOver, deviceFailure)) {
        removed = DiUninstallDriverW(NULL, path, 0, &needed);
        DWORD code = GetLastError();
        if (!removed && (code == ERROR_PROC_NOT_FOUND || code == ERROR_MOD_NOT_FOUND)) {
            // Older Windows: the other devices too, walked again only where there are some.
            if (!passedOver || TakeDevicesOf(name, kEveryDevice, force, &needed, &passedOver, deviceFailure))
                removed = SetupUninstallOEMInfW(name, force ? SUOI_FORCEDELETE : 0, NULL);
        } else if (!removed && force && ForcingCanMend(code)) {
            // A package Windows holds as still in use by the system goes when forced.
            removed = SetupUninstallOEMInfW(name, SUOI_FORCEDELETE, NULL);
        }
    }
    if (needed)
        *restart = TRUE;
    return removed;
}
