#include "installer/installer.h"

BOOL ReportFailure(const char *label)
{
    DWORD code = GetLastError();
    char *text = NULL;
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL))
        Print("%s FAILURE: %s\n", label, text);
    else
        Print("%s FAILURE: (0x%08x)\n", label, (unsigned)code);
    LocalFree(text);
    SetLastError(code);
    return FALSE;
}
