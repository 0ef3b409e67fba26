#include "remover/remover.h"

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

// Removed from every hardware profile.
static BOOL RemoveDevice(HDEVINFO set, SP_DEVINFO_DATA *device, BOOL *restart)
{
    SP_REMOVEDEVICE_PARAMS params;
    SP_DEVINSTALL_PARAMS_W install;
    params.ClassInstallHeader.cbSize = sizeof params.ClassInstallHeader;
    params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
    params.Scope = DI_REMOVEDEVICE_GLOBAL;
    params.HwProfile = 0;
    install.cbSize = sizeof install;
    // Without them DIF_REMOVE removes globally all the same, which is why Wine 8, whose
    // SetupDiSetClassInstallParamsW is a stub answering FALSE, still removes the device.
    SetupDiSetClassInstallParamsW(set, device, &params.ClassInstallHeader, sizeof params);
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set, device))
        return FALSE;
    // Wine takes the removed device out of the set, and its parameters with it: no
    // restart was asked for then.
    if (SetupDiGetDeviceInstallParamsW(set, device, &install) &&
        (install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0)
        *restart = TRUE;
    return TRUE;
}

// Every device, present or not, whose driver came from the copy. The set is walked from
// its end, so that a removal cannot move a device not yet seen.
static BOOL RemoveDevicesOf(const WCHAR *name, BOOL *restart)
{
    SP_DEVINFO_DATA device;
    DWORD count = 0;
    BOOL removed;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return FALSE;
    device.cbSize = sizeof device;
    while (SetupDiEnumDeviceInfo(set, count, &device))
        count++;
    removed = GetLastError() == ERROR_NO_MORE_ITEMS;
    for (DWORD index = count; removed && index-- > 0;)
        removed = SetupDiEnumDeviceInfo(set, index, &device) &&
                  (!InstalledFrom(set, &device, name) || RemoveDevice(set, &device, restart));
    DWORD code = GetLastError();
    SetupDiDestroyDeviceInfoList(set);
    SetLastError(code);
    return removed;
}

BOOL RemoveCopy(const WCHAR *folder, const WCHAR *name, BOOL force, BOOL *restart)
{
    WCHAR path[MAX_PATH];
    BOOL needed = FALSE, removed;
    lstrcpynW(path, folder, MAX_PATH);
    lstrcatW(path, name);
    // Windows 10 1703 and later move each device to its next-best driver themselves.
    removed = DiUninstallDriverW(NULL, path, 0, &needed);
    if (!removed && (GetLastError() == ERROR_PROC_NOT_FOUND || GetLastError() == ERROR_MOD_NOT_FOUND))
        removed = RemoveDevicesOf(name, &needed) &&
                  SetupUninstallOEMInfW(name, force ? SUOI_FORCEDELETE : 0, NULL);
    if (needed)
        *restart = TRUE;
    return removed;
}
