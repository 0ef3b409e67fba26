// newdev's models: forcing a driver onto present devices, and uninstalling a package.
#include "rooms.h"

#include <string.h>

#include <algorithm>

static bool DeviceCarries(const Device &device, const std::u16string &hardwareId)
{
    const std::string &ids = device.ids;
    for (size_t at = 0; device.hasIds && at < ids.size();) {
        size_t end = std::min(ids.find('\0', at), ids.size());
        if (end == at)
            break;
        if (SameFolded(Widened(ids.substr(at, end - at)), hardwareId))
            return true;
        at = end + 1;
    }
    return false;
}

namespace model {

BOOL UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR infPath,
                                        DWORD flags, PBOOL rebootRequired)
{
    // The SDK's flags; Wine 8 takes any (a FIXME), Windows refuses others.
    const DWORD known = INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_FLAGS);
    if (hardwareId == NULL || infPath == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    if (RunsEmulated())
        return Fail(ERROR_IN_WOW64);
    if (!IsFullPath(infPath) || world->files.count(infPath) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    auto carries = [&](const Device &device) { return device.present && DeviceCarries(device, hardwareId); };
    if (!std::any_of(world->devices.begin(), world->devices.end(), carries))
        return Fail(ERROR_NO_SUCH_DEVINST);
    if (!PublisherTrusted((flags & INSTALLFLAG_NONINTERACTIVE) == 0))
        return FALSE;
    std::u16string published = Publish(infPath);
    for (Device &device : world->devices)
        if (carries(device)) {
            device.infPath = published.substr(published.rfind(u'\\') + 1);
            // A device that had no driver starts with this one.
            if ((device.status & DN_HAS_PROBLEM) != 0 && device.problem == CM_PROB_NOT_CONFIGURED)
                device.status = DN_DRIVER_LOADED | DN_STARTED;
        }
    world->updates.push_back({hardwareId, infPath, flags});
    world->restartAsked = world->rebootRequired;
    if (rebootRequired)
        *rebootRequired = world->rebootRequired;
    return Succeed();
}

// Where newdev has it: each device that uses the package moves to its next-best driver,
// and the package goes. There is none here, so each stays without a driver, as a
// root-enumerated device does on Windows, where nothing else offers one.
BOOL DiUninstallDriverW(HWND, LPCWSTR infPath, DWORD flags, PBOOL needReboot)
{
    if (!world->driverUninstallKnown)
        return Fail(ERROR_PROC_NOT_FOUND);
    if (infPath == NULL || flags != 0)
        return Unmodelled("DiUninstallDriverW with flags"), FALSE;
    if (RunsEmulated())
        return Fail(ERROR_IN_WOW64);
    std::u16string path(infPath);
    if (!IsFullPath(path) || world->files.count(path) == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    // Windows 10 can hold a package as still in use by the system (DriverStoreExplorer#252).
    if (world->packageHeldBySystem)
        return Fail(ERROR_INF_IN_USE_BY_DEVICES);
    std::u16string name = path.substr(path.rfind(u'\\') + 1);
    for (Device &device : world->devices)
        if (SameFolded(device.infPath, name))
            device.infPath.clear();
    Delete(path);
    if (needReboot)
        *needReboot = world->removalNeedsRestart;
    return Succeed();
}

} // namespace model
