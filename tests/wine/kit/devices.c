/* Present devices: made, and walked as drvplant walks them. */
#include "kit.h"

#include <setupapi.h>
#include <string.h>

void CreatePresentDevice(const char *hardwareIds, size_t size)
{
    GUID systemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&systemClass, NULL);
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    BOOL made = SetupDiCreateDeviceInfoA(set, "DRVPLANT_SUITE", &systemClass, NULL, NULL,
                                         DICD_GENERATE_ID, &device);
    if (made && size > 0)
        made = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                 (const BYTE *)hardwareIds, (DWORD)size);
    if (made)
        made = SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    check(made, "creating a device: error 0x%08lx", GetLastError());
    SetupDiDestroyDeviceInfoList(set);
}

void ForEachPresentHardwareId(int (*visit)(const char *id, void *context), void *context)
{
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    int going = 1;
    for (DWORD index = 0; going && SetupDiEnumDeviceInfo(set, index, &device); index++) {
        char list[4096] = "";
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL,
                                               (BYTE *)list, sizeof list - 2, NULL))
            continue;
        for (const char *id = list; going && *id; id += strlen(id) + 1)
            going = visit(id, context);
    }
    SetupDiDestroyDeviceInfoList(set);
}

