// ADVAPI32's models: the driver key's InfPath value.
#include "rooms.h"

#include <string.h>

namespace model {

// Returns its code, and leaves the last error alone, as the registry does.
LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    size_t index = (uintptr_t)key - kFirstDriverKey;
    if (index >= world->devices.size())
        return (LONG)ERROR_INVALID_HANDLE;
    if (std::u16string(name) != u"InfPath")
        return (LONG)ERROR_FILE_NOT_FOUND;
    const std::u16string &value = world->devices[index].infPath;
    DWORD needed = (DWORD)((value.size() + 1) * sizeof(WCHAR));
    if (type)
        *type = REG_SZ;
    if (data != NULL && *size < needed) {
        *size = needed;
        return (LONG)ERROR_MORE_DATA;
    }
    if (data != NULL)
        memcpy(data, value.c_str(), needed);
    *size = needed;
    return (LONG)ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if ((uintptr_t)key - kFirstDriverKey >= world->devices.size() || world->openKeys == 0)
        return (LONG)ERROR_INVALID_HANDLE;
    world->openKeys--;
    return (LONG)ERROR_SUCCESS;
}

} // namespace model
