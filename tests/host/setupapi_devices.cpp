// SETUPAPI's device sets: present devices and their hardware IDs, driver keys, install
// parameters, the class installer's DIF_REMOVE and DIF_REGISTERDEVICE, and the sets and
// elements a program makes itself.
#include "rooms.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

bool IsOpenSet(HDEVINFO set)
{
    return (set == kDeviceSet && world->openSets != 0) || (set == kCreatedSet && world->openLists != 0);
}

bool InSet(HDEVINFO set, size_t index)
{
    if (set == kCreatedSet)
        return index < world->devices.size() && world->devices[index].made;
    return std::count(world->setMembers.begin(), world->setMembers.end(), index) != 0;
}

static bool SameGuid(const GUID &left, const GUID &right)
{
    return memcmp(&left, &right, sizeof left) == 0;
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

// The SDK's SetupDiCreateDeviceInfo page: an element stays a mere element of its set until
// it is registered; destroying the set takes one that never was with it.
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!IsOpenSet(set))
        return Fail(ERROR_INVALID_HANDLE);
    if (set == kCreatedSet) {
        world->openLists--;
        auto element = [](const Device &d) { return d.made && !d.registered; };
        world->devices.erase(std::remove_if(world->devices.begin(), world->devices.end(), element),
                             world->devices.end());
    } else {
        world->openSets--;
    }
    return Succeed();
}

// The SDK's SetupDiCreateDeviceInfoList page: an empty set, tied to the class if one is given.
HDEVINFO SetupDiCreateDeviceInfoList(const GUID *classGuid, HWND)
{
    if (world->openLists != 0)
        return Unmodelled("more than one created set"), INVALID_HANDLE_VALUE;
    world->listClass = classGuid != NULL ? *classGuid : GUID{};
    world->openLists++;
    Succeed();
    return kCreatedSet;
}

// The SDK's SetupDiCreateDeviceInfo page: with DICD_GENERATE_ID the name is a root-enumerated
// device ID without enumerator or instance (no backslash), and the system makes the instance
// ID, ROOT\<NAME>\<first free four digits>; the class must be the set's (ERROR_CLASS_MISMATCH).
BOOL SetupDiCreateDeviceInfoW(HDEVINFO set, LPCWSTR name, const GUID *classGuid, LPCWSTR, HWND, DWORD flags,
                              PSP_DEVINFO_DATA device)
{
    if (set != kCreatedSet || !IsOpenSet(set))
        return set == kDeviceSet ? Unmodelled("elements made in a set of present devices"), FALSE
                                 : Fail(ERROR_INVALID_HANDLE);
    if (flags != DICD_GENERATE_ID)
        return Unmodelled("elements made with other flags than DICD_GENERATE_ID"), FALSE;
    if (device != NULL && device->cbSize != sizeof *device)
        return Fail(ERROR_INVALID_USER_BUFFER);
    std::u16string wide = name != NULL ? name : u"";
    if (wide.empty() || wide.find(u'\\') != std::u16string::npos)
        return Fail(ERROR_INVALID_DEVINST_NAME);
    if (classGuid == NULL || !SameGuid(*classGuid, world->listClass))
        return Fail(ERROR_CLASS_MISMATCH);
    std::string prefix = "ROOT\\";
    for (char16_t unit : wide)
        prefix += (char)toupper((unsigned char)unit);
    std::string instance;
    for (int n = 0; instance.empty() || std::any_of(world->devices.begin(), world->devices.end(),
                                                    [&](const Device &d) { return d.instanceId == instance; });
         n++) {
        char digits[16];
        snprintf(digits, sizeof digits, "\\%04d", n % 10000);
        instance = prefix + digits;
    }
    Device made = {false, ""};
    made.present = false;
    made.instanceId = instance;
    made.made = true;
    made.registered = false;
    world->devices.push_back(made);
    if (device != NULL)
        device->DevInst = (DWORD)(world->devices.size() - 1);
    return Succeed();
}

// The SDK's SetupDiSetDeviceRegistryProperty page: SPDRP_HARDWAREID is a REG_MULTI_SZ, its size
// in bytes with both terminators. Stored as the ANSI variant reads it back.
BOOL SetupDiSetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, const BYTE *buffer,
                                       DWORD size)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (property != SPDRP_HARDWAREID)
        return Unmodelled("device properties set other than SPDRP_HARDWAREID"), FALSE;
    std::u16string units(size / 2, u'\0');
    if (buffer == NULL || size % 2 != 0 || size < 4)
        return Fail(ERROR_INVALID_DATA);
    memcpy(&units[0], buffer, size);
    if (units[units.size() - 1] != 0 || units[units.size() - 2] != 0)
        return Fail(ERROR_INVALID_DATA);
    // Read back through the ANSI variant: what code page 1252 cannot hold becomes '?'.
    std::string ids;
    for (char16_t unit : units)
        ids += unit <= 0xff ? (char)unit : '?';
    stored->hasIds = true;
    stored->ids = ids;
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

// DIF_REMOVE: without parameters, or with the global scope, the device is gone. The WDK's
// DIF_REGISTERDEVICE page: a made element becomes a device of the world, which has no driver
// yet (Code 1, not configured).
BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device)
{
    Device *stored = DeviceOf(set, device);
    if (stored == NULL)
        return Fail(ERROR_INVALID_HANDLE);
    if (function == DIF_REGISTERDEVICE) {
        if (!stored->made || stored->registered)
            return Unmodelled("DIF_REGISTERDEVICE of a device already registered"), FALSE;
        if (RunsEmulated())
            return Fail(ERROR_IN_WOW64);
        stored->registered = stored->present = true;
        stored->status = DN_HAS_PROBLEM;
        stored->problem = CM_PROB_NOT_CONFIGURED;
        return Succeed();
    }
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
    if (world->removedLeaveTheSet && set == kDeviceSet)
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
    if (!InSet(set, device->DevInst))
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
