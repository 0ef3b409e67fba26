// Present devices: made, and walked as drvplant walks them.
#include "kit.h"

#include <setupapi.h>
#include <cfgmgr32.h>
#include <string.h>

void CreatePresentDeviceAt(const char *hardwareIds, size_t size, const char *file, int line)
{
    GUID systemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&systemClass, NULL);
    SP_DEVINFO_DATA device = {.cbSize = sizeof device};
    SetLastError(0xdeadbeef);
    BOOL made = SetupDiCreateDeviceInfoA(set, "DRVPLANT_SUITE", &systemClass, NULL, NULL,
                                         DICD_GENERATE_ID, &device);
    if (made && size > 0)
        made = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                 (const BYTE *)hardwareIds, (DWORD)size);
    if (made)
        made = SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    check_at(file, line, made, "creating a device: error 0x%08lx", GetLastError());
    SetupDiDestroyDeviceInfoList(set);
}

const char *PresentHardwareIds(void)
{
    static char ids[65536];
    size_t length = 0;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device = {.cbSize = sizeof device};
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); index++) {
        char list[4096] = "";
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL,
                                               (BYTE *)list, sizeof list - 2, NULL))
            continue;
        for (const char *id = list; *id && length + strlen(id) + 2 < sizeof ids; id += strlen(id) + 1)
            length += strlen(strcpy(ids + length, id)) + 1;
    }
    ids[length] = '\0';
    SetupDiDestroyDeviceInfoList(set);
    return ids;
}

// The next device of set from *index on that carries hardwareId; FALSE past the last.
static BOOL NextWith(HDEVINFO set, DWORD *index, const char *hardwareId, SP_DEVINFO_DATA *device)
{
    device->cbSize = sizeof *device;
    for (; SetupDiEnumDeviceInfo(set, *index, device); ++*index) {
        char list[4096] = "";
        if (!SetupDiGetDeviceRegistryPropertyA(set, device, SPDRP_HARDWAREID, NULL, (BYTE *)list,
                                               sizeof list - 2, NULL))
            continue;
        for (const char *id = list; *id; id += strlen(id) + 1)
            if (strcmp(id, hardwareId) == 0) {
                ++*index;
                return TRUE;
            }
    }
    return FALSE;
}

ULONG DeviceStatus(const char *hardwareId)
{
    ULONG status = 0, problem = 0;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device;
    DWORD index = 0;
    if (NextWith(set, &index, hardwareId, &device) &&
        CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) != CR_SUCCESS)
        status = 0;
    SetupDiDestroyDeviceInfoList(set);
    return status;
}

void AppendRootDevicesOf(const char *name, Text *listing)
{
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device = {.cbSize = sizeof device};
    DWORD count = 0;
    while (SetupDiEnumDeviceInfo(set, count, &device))
        count++;
    while (count-- > 0) {
        char infPath[MAX_PATH] = "", id[MAX_DEVICE_ID_LEN + 1];
        DWORD size = sizeof infPath - 1;
        HKEY key;
        if (!SetupDiEnumDeviceInfo(set, count, &device) ||
            (key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ)) == INVALID_HANDLE_VALUE)
            continue;
        RegQueryValueExA(key, "InfPath", NULL, NULL, (BYTE *)infPath, &size);
        RegCloseKey(key);
        if (lstrcmpiA(infPath, name) == 0 && SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, NULL) &&
            _strnicmp(id, "ROOT\\", 5) == 0)
            TextAppend(listing, "Found "), TextAppend(listing, id), TextAppend(listing, "\r\n");
    }
    SetupDiDestroyDeviceInfoList(set);
}

void ExpectSearch(Text *lines, const char *searchId, const char *walkEnd)
{
    int ended = 0;
    TextAppend(lines, "Search for Device ID: [");
    TextAppend(lines, searchId);
    TextAppend(lines, "]\r\n");
    for (const char *id = PresentHardwareIds(); *id != '\0' && !ended; id += strlen(id) + 1) {
        TextAppend(lines, "Compare device ID: [");
        TextAppend(lines, id);
        TextAppend(lines, "]\r\n");
        ended = walkEnd != NULL && strcmp(id, walkEnd) == 0;
    }
}

int CountPresent(const char *hardwareId)
{
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device;
    DWORD index = 0;
    int count = 0;
    while (NextWith(set, &index, hardwareId, &device))
        count++;
    SetupDiDestroyDeviceInfoList(set);
    return count;
}

const char *InstanceIdOf(const char *hardwareId, char *id, DWORD size)
{
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device;
    DWORD index = 0;
    id[0] = '\0';
    if (NextWith(set, &index, hardwareId, &device) && !SetupDiGetDeviceInstanceIdA(set, &device, id, size, NULL))
        id[0] = '\0';
    SetupDiDestroyDeviceInfoList(set);
    return id;
}

// The first one each time, from a fresh set: Wine takes a removed device out of its set.
void RemoveDevices(const char *hardwareId)
{
    BOOL removed = TRUE;
    for (int tries = 0; removed && tries < 16; tries++) {
        HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
        SP_DEVINFO_DATA device;
        DWORD index = 0;
        removed = NextWith(set, &index, hardwareId, &device) && SetupDiCallClassInstaller(DIF_REMOVE, set, &device);
        SetupDiDestroyDeviceInfoList(set);
    }
}
