/* The yardstick for drvplant's cost: the same platform calls and the same lines, written
 * as plainly as possible, with none of drvplant's care (no size guards, no fault
 * reports but the walk's end). Usage: reference <INF_File> <Hardware_ID>, like drvplant. */
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    HWND wizard = FindWindowA(NULL, "Found New Hardware Wizard");
    if (wizard == NULL)
        wizard = FindWindowA(NULL, "\xD5\xD2\xB5\xBD\xD0\xC2\xB5\xC4\xD3\xB2\xBC\xFE\xCF\xF2\xB5\xBC");
    if (wizard != NULL)
        SendMessageA(wizard, WM_CLOSE, 0, 0);
    if (argc != 3)
        return 2;

    char path[1024];
    const char *slash = strrchr(argv[0], '\\');
    size_t directory = slash ? (size_t)(slash - argv[0]) + 1 : 0;
    memcpy(path, argv[0], directory);
    strcpy(path + directory, argv[1]);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 2;
    FindClose(search);

    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    printf("Search for Device ID: [%s]\n", argv[2]);
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    int match = 0;
    for (DWORD index = 0; !match && SetupDiEnumDeviceInfo(set, index, &device); index++) {
        DWORD size = 0;
        SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL, NULL, 0, &size);
        char *ids = LocalAlloc(LPTR, size + 1);
        if (SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL, (BYTE *)ids,
                                              size, NULL))
            for (char *id = ids; !match && *id; id += strlen(id) + 1) {
                printf("Compare device ID: [%s]\n", id);
                CharUpperA(id);
                if (strcmp(id, argv[2]) == 0) {
                    printf("Found! [%s]\n", id);
                    match = 1;
                }
            }
        LocalFree(ids);
    }
    if (!match) {
        char *text = NULL;
        DWORD code = GetLastError();
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
        printf("EnumDeviceInfo FAILURE: %s\n", text);
        LocalFree(text);
    }
    SetupDiDestroyDeviceInfoList(set);

    BOOL reboot = FALSE;
    BOOL done = match ? UpdateDriverForPlugAndPlayDevicesA(NULL, argv[2], path, INSTALLFLAG_FORCE,
                                                           &reboot)
                      : SetupCopyOEMInfA(path, NULL, SPOST_PATH, 0, NULL, MAX_PATH, NULL, NULL);
    if (!done)
        return 2;
    printf("Driver Installed successfully.\n");
    return 0;
}
