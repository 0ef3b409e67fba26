// SETUPAPI's device sets: present devices and their hardware IDs, driver keys, install
// parameters and the class installer's DIF_REMOVE.
#include "rooms.h"

#include <string.h>

#include <algorithm>

bool IsOpenSet(HDEVINFO set)
{
    return set == kDeviceSet && world->openSets != 0;
}

Device *DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA device)
{
    if (!IsOpenSet(set) || device == NULL || device->DevInst >= world->devices.size())
        return NULL;
    return &world->devices[device->DevInst];
}

std::string InstanceIdOf(const World &w, size_t index)
{
    const std::string &stored = w.devices[index].instanceId;
    return stored.empty() ? "ROOT\\UNKNOWN\\" + std::to_string(index) : stored;
}

namespace model {

HDEVINFO SetupDiGetClassDevsA(const GUID *classGuid, LPCSTR enumerator, HWND, DWORD flags)
{
    const DWORD known = DIGCF_DEFAULT | DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE |
                        DIGCF_DEVICEINTERFACE;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_FLAGS), INVALID_HANDLE_VALUE;
    if (classGuid == NULL && (flags & DIGCF_ALLCLASSES) == 0)
        return Fail(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
    if (enumerator != NULL || (flags & (DIGCF_ALLCLASSES | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE |
                                        DIGCF_DEFAULT)) != DIGCF_ALLCLASSES)
        return Unmodelled("SetupDiGetClassDevsA other than of all classes"), INVALID_HANDLE_VALUE;
    world->setMembers.clear();
    for (size_t i = 0; i < world->devices.size(); i++)
        if (world->devices[i].present || (flags & DIGCF_PRESENT) == 0)
            world->setMembers.push_back(i);
    world->openSets++;
    Succeed();
    return kDeviceSet;
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device)
{
    if (!IsOpenSet(set))
        return Fail(ERROR_INVALID_HANDLE);
    if (device == NULL || device->cbSize != sizeof *device)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (index >= world->setMembers.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    device->DevInst = (DWORD)world->setMembers[index];
    return Succeed();
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device,
                                       DWORD property, PDWORD type, PBYTE buffer,
                                       DWORD size, PDWORD requiredSize)
{
    if (!IsOpenSet(set))
        return Fail(ERROR_INVALID_HANDLE);
    if (device == NULL || device->DevInst >= world->devices.size())
        return Fail(ERROR_INVALID_PARAMETER);
    if (property != SPDRP_HARDWAREID)
        return Unmodelled("device properties other than SPDRP_HARDWAREID"), FALSE;
    const Device &stored = world->devices[device->DevInst];
    if (!stored.hasIds)
        return Fail(ERROR_INVALID_DATA);
    DWORD needed = stored.claimedSize ? *stored.claimedSize : (DWORD)stored.ids.size();
    if (requiredSize)
        *requiredSize = needed;
    if (needed > size || (needed > 0 && buffer == NULL))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (type)
        *type = REG_MULTI_SZ;
    // Never more than the room it was given, however much data it holds.
    size_t written = needed < stored.ids.size() ? needed : stored.ids.size();
    if (written > 0)
        memcpy(buffer, stored.ids.data(), written);
    return Succeed();
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!IsOpenSet(set))
        return Fail(ERROR_INVALID_HANDLE);
    world->openSets--;
    return Succeed();
}

HKEY SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD scope, DWORD, DWORD keyType,
                          REGSAM)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE), (HKEY)INVALID_HANDLE_VALUE;
    if (scope != DICS_FLAG_GLOBAL || keyType != DIREG_DRV)
        return Unmodelled("device keys other than the global driver key"), (HKEY)INVALID_HANDLE_VALUE;
    if (stored->infPath.empty())
        return Fail(ERROR_KEY_DOES_NOT_EXIST), (HKEY)INVALID_HANDLE_VALUE;
    world->openKeys++;
    return (HKEY)(kFirstDriverKey + device->DevInst);
}

BOOL SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device,
                                   PSP_CLASSINSTALL_HEADER params, DWORD size)
{
    if (DeviceOf(set, device) == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (params->InstallFunction != DIF_REMOVE || size != sizeof(SP_REMOVEDEVICE_PARAMS))
        return Unmodelled("class install parameters other than DIF_REMOVE's"), FALSE;
    world->removalScopes[device->DevInst] = ((SP_REMOVEDEVICE_PARAMS *)params)->Scope;
    return Succeed();
}

// DIF_REMOVE: without parameters, or with the global scope, the device is gone.
BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    auto scope = world->removalScopes.find(device->DevInst);
    if (function != DIF_REMOVE || (scope != world->removalScopes.end() && scope->second != DI_REMOVEDEVICE_GLOBAL))
        return Unmodelled("class installer functions other than a global DIF_REMOVE"), FALSE;
    if (RunsEmulated())
        return Fail(ERROR_IN_WOW64);
    // The WDK's DIF_REMOVE page: without DI_QUIETINSTALL a class installer may show UI.
    if ((world->installFlags[device->DevInst] & DI_QUIETINSTALL) == 0)
        world->prompts.push_back("a class installer's message");
    stored->removed = true;
    stored->present = false;
    stored->infPath.clear();
    if (world->removedLeaveTheSet)
        world->setMembers.erase(std::find(world->setMembers.begin(), world->setMembers.end(), device->DevInst));
    return Succeed();
}

BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (std::count(world->setMembers.begin(), world->setMembers.end(), device->DevInst) == 0)
        return Fail(ERROR_NO_SUCH_DEVINST);
    params->Flags = world->installFlags[device->DevInst] |
                    (stored->removed && world->removalNeedsRestart ? DI_NEEDREBOOT : 0);
    return Succeed();
}

BOOL SetupDiSetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params)
{
    if (DeviceOf(set, device) == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (params == NULL || params->cbSize != sizeof *params)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if ((params->Flags & ~(DI_QUIETINSTALL | DI_NEEDREBOOT | DI_NEEDRESTART)) != 0)
        return Unmodelled("device install flags other than DI_QUIETINSTALL"), FALSE;
    world->installFlags[device->DevInst] = params->Flags;
    return Succeed();
}

// The configuration manager's CM_WaitNoPendingInstallEvents page: a zero bound only tests,
// INFINITE never elapses, any other bound returns WAIT_TIMEOUT once it elapses with
// installations still pending.
DWORD CMP_WaitNoPendingInstallEvents(DWORD timeout)
{
    if (!world->installsPending)
        return WAIT_OBJECT_0;
    world->installWait = timeout == INFINITE ? INFINITE : world->installWait + timeout;
    return WAIT_TIMEOUT;
}

// The SDK's SetupDiGetDeviceInstanceId page: the ID with its terminator, or
// ERROR_INSUFFICIENT_BUFFER and the size it needs.
BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA device, PSTR id, DWORD size,
                                 PDWORD requiredSize)
{
    const Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    std::string instance = InstanceIdOf(*world, device->DevInst);
    DWORD needed = (DWORD)instance.size() + 1;
    if (requiredSize)
        *requiredSize = needed;
    if (id == NULL || size < needed)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    memcpy(id, instance.c_str(), needed);
    return Succeed();
}

// The configuration manager's CM_Get_DevNode_Status page: no flags, both results wanted,
// and a device that is there; the problem number means something with DN_HAS_PROBLEM.
// It answers its code and leaves the last error alone.
CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST device, ULONG flags)
{
    if (status == NULL || problem == NULL)
        return CR_INVALID_POINTER;
    if (flags != 0)
        return CR_INVALID_FLAG;
    if (device >= world->devices.size())
        return CR_INVALID_DEVNODE;
    const Device &stored = world->devices[device];
    if (!stored.present)
        return CR_NO_SUCH_DEVNODE;
    *status = stored.status;
    *problem = (stored.status & DN_HAS_PROBLEM) != 0 ? stored.problem : 0;
    return CR_SUCCESS;
}

} // namespace model
