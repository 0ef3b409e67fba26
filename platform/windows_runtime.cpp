// The C runtime side of the seam on Windows: msvcrt's own argument vector and stdio,
// whose text mode and buffering are exactly what callers of the tool see.
// stdio.h comes first: libstdc++'s wrappers, reached through the SDK headers on x64,
// switch MinGW's own printf back on (about 29 KB) unless msvcrt's is already declared.
#include <stdio.h>
#include <stdlib.h>

#include "platform/platform.h"
#include "platform/windows_dlls.h"
#include "installer/installer.h"

int ArgumentCount(void)
{
    return __argc;
}

char **ArgumentVector(void)
{
    return __argv;
}

int PrintOutput(const char *format, va_list args)
{
    return vprintf(format, args);
}

void FlushOutput(void)
{
    fflush(stdout);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int show)
{
    LimitDllSearchToSystemFolder();
    return InstallMain(instance, previous, commandTail, show);
}
