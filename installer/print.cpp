#include "installer/installer.h"

void Print(const char *format, ...)
{
    // A failed write (no standard output, a full disk) must not decide the run: the
    // search's answer and the failure reports all travel in the last error.
    DWORD code = GetLastError();
    va_list args;
    va_start(args, format);
    PrintOutput(format, args);
    va_end(args);
    SetLastError(code);
}
