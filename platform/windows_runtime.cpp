// The C runtime side of the seam on Windows: msvcrt's own argument vector and stdio,
// whose text mode and buffering are exactly what callers of the tool see.
#include "platform/platform.h"
#include "platform/windows_dlls.h"
#include "installer/installer.h"

static int argumentCount;
static char **arguments;

int ArgumentCount(void)
{
    return argumentCount;
}

char **ArgumentVector(void)
{
    return arguments;
}

void FlushOutput(void)
{
    fflush(NULL); // every stream: standard output is the only one
}

// Called by the start-up in windows_start.c with msvcrt's vector; a GUI program all the
// same (the link picks the subsystem).
int main(int argc, char **argv)
{
    argumentCount = argc;
    arguments = argv;
    LimitDllSearchToSystemFolder();
    return InstallMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT);
}
