#include "installer/installer.h"

// Prints each ID as stored (with print), upper-cases it in place and compares; stops at
// the first empty string, at end, or at a match.
static BOOL ListHoldsId(char *list, const char *end, const char *hardwareId, BOOL print)
{
    for (char *id = list; id < end && *id != '\0'; id += lstrlenA(id) + 1) {
        if (print)
            PrintKeepingLastError("Compare device ID: [%s]\n", id);
        CharUpperA(id);
        if (SameText(hardwareId, id)) {
            if (print)
                PrintKeepingLastError("Found! [%s]\n", id);
            return TRUE;
        }
    }
    return FALSE;
}

// One zero byte past what the platform may fill keeps the last string terminated even
// when the property data is not.
static BYTE *AllocateIdBlock(DWORD size)
{
    if (size == MAXDWORD) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    return (BYTE *)LocalAlloc(LPTR, (SIZE_T)size + 1);
}

// A device whose IDs cannot be read (one unplugged during the walk, say) is reported and
// passed over: it must not hide the devices after it.
BOOL CarriesId(HDEVINFO set, SP_DEVINFO_DATA *device, const char *hardwareId, BOOL *unread)
{
    BOOL print = unread != NULL;
    BOOL carries = FALSE;
    BYTE *ids = NULL;
    DWORD given = 0;
    DWORD required = 0;
    DWORD type;
    BOOL read;
    // Only growth ends this loop well: a platform that keeps asking for room it was
    // already given would never stop.
    while (!(read = SetupDiGetDeviceRegistryPropertyA(set, device, SPDRP_HARDWAREID, &type, ids,
                                                      given, &required)) &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > given) {
        LocalFree(ids);
        ids = AllocateIdBlock(required);
        if (ids == NULL)
            break;
        given = required;
    }
    if (read) {
        // Without data (ids still NULL) there is nothing to compare.
        carries = ids != NULL &&
                  ListHoldsId((char *)ids, (char *)ids + (required < given ? required : given), hardwareId,
                              print);
    } else if (print && GetLastError() != ERROR_INVALID_DATA) { // a device without IDs is passed over
        ReportFailure(kReadIdsLabel);
        *unread = TRUE;
    }
    LocalFree(ids);
    return carries;
}

BOOL FindPresentDevice(const char *hardwareId, BOOL *searchedAll)
{
    BOOL unread = FALSE;
    *searchedAll = FALSE;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return ReportFailure(kListDevicesLabel);
    PrintKeepingLastError("Search for Device ID: [%s]\n", hardwareId);

    BOOL found = FALSE;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    for (DWORD index = 0; !found && SetupDiEnumDeviceInfo(set, index, &device); index++)
        found = CarriesId(set, &device, hardwareId, &unread);
    // Wine leaves the sizing read's 122 behind a successful read; a match is a match.
    if (found)
        SetLastError(ERROR_SUCCESS);
    else if (GetLastError() != ERROR_SUCCESS)
        ReportFailure(kNextDeviceLabel);
    *searchedAll = !unread && GetLastError() == ERROR_NO_MORE_ITEMS;

    DWORD code = GetLastError();
    SetupDiDestroyDeviceInfoList(set);
    SetLastError(code);
    return found;
}
