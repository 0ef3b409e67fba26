#include "remover/remover.h"

BOOL ReadWholeFile(const WCHAR *path, DWORD size, BYTE **bytes)
{
    DWORD got = 0, total = 0;
    BOOL read = FALSE;
    *bytes = NULL;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    // One byte more than the size: a file that has grown since it was listed shows it.
    *bytes = (BYTE *)LocalAlloc(LPTR, (SIZE_T)size + 1);
    while (*bytes != NULL && (read = ReadFile(file, *bytes + total, size + 1 - total, &got, NULL)) &&
           got > 0 && total + got <= size)
        total += got;
    if (read && total != size) {
        read = FALSE;
        SetLastError(ERROR_INVALID_DATA); // it changed while it was read
    }
    if (!read) {
        LocalFree(*bytes);
        *bytes = NULL;
    }
    DWORD code = GetLastError();
    CloseHandle(file);
    SetLastError(code);
    return read;
}

static BOOL ReadVersionValue(HINF inf, const WCHAR *key, WCHAR *value, DWORD size)
{
    return SetupGetLineTextW(NULL, inf, WIDE("Version"), key, value, size, NULL);
}

BOOL ReadIdentity(const WCHAR *path, Identity *identity)
{
    HINF inf = SetupOpenInfFileW(path, NULL, INF_STYLE_WIN4, NULL);
    if (inf == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL read = ReadVersionValue(inf, WIDE("Provider"), identity->provider, 128) &&
                ReadVersionValue(inf, WIDE("ClassGuid"), identity->classGuid, 40);
    DWORD code = GetLastError();
    SetupCloseInfFile(inf);
    SetLastError(code);
    return read;
}

BOOL ReadOriginalName(const WCHAR *path, WCHAR *name)
{
    DWORD size = 0;
    BOOL read = FALSE;
    SP_INF_INFORMATION *information = NULL;
    SP_ORIGINAL_FILE_INFO_W original;
    original.cbSize = sizeof original;
    if (SetupGetInfInformationW(path, INFINFO_INF_NAME_IS_ABSOLUTE, NULL, 0, &size) &&
        (information = (SP_INF_INFORMATION *)LocalAlloc(LPTR, size)) != NULL &&
        SetupGetInfInformationW(path, INFINFO_INF_NAME_IS_ABSOLUTE, information, size, NULL) &&
        SetupQueryInfOriginalFileInformationW(information, 0, NULL, &original)) {
        lstrcpynW(name, original.OriginalInfName, MAX_PATH);
        read = TRUE;
    }
    LocalFree(information);
    return read;
}
