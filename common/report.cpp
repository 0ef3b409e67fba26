#include "common/common.h"

// Eight lower-case hexadecimal digits, zero-filled.
static void FormatCode(DWORD code, char *hex)
{
    for (int at = 7; at >= 0; at--, code >>= 4)
        hex[at] = "0123456789abcdef"[code & 0xf];
    hex[8] = '\0';
}

BOOL ReportFailure(const char *label)
{
    DWORD code = GetLastError();
    char *text = NULL;
    char hex[9];
    // A system text may hold inserts such as %1; without this flag it would be looked up
    // with arguments that were never passed.
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0,
                       NULL)) {
        PrintKeepingLastError("%s FAILURE: %s\n", label, text);
    } else {
        FormatCode(code, hex);
        PrintKeepingLastError("%s FAILURE: (0x%s)\n", label, hex);
    }
    LocalFree(text);
    SetLastError(code);
    return FALSE;
}

void PrintKeepingLastError(const char *format, const char *first, const char *second)
{
    DWORD saved = GetLastError();
    PrintOutput(format, first, second);
    SetLastError(saved);
}
