// The C runtime side of the seam on Windows: msvcrt's own argument vector and stdio,
// whose text mode and buffering are exactly what callers of the tool see.
#include "platform/platform.h"
#include "platform/windows_dlls.h"
#include "installer/installer.h"

static int argumentCount;
static char **arguments;
static WCHAR **wideArguments;

int ArgumentCount(void)
{
    return argumentCount;
}

char **ArgumentVector(void)
{
    return arguments;
}

WCHAR **WideArgumentVector(void)
{
    return wideArguments;
}

void FlushOutput(void)
{
    fflush(NULL); // every stream: standard output is the only one
}

// Each element as the system's default conversion gives it, best fit included: the very
// bytes that an ANSI program's own vector held. NULL when memory runs out.
static char **ConvertToAnsi(int count, WCHAR **wide)
{
    char **ansi = (char **)LocalAlloc(LPTR, (count + 1) * sizeof *ansi);
    for (int i = 0; ansi != NULL && i < count; i++) {
        int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, NULL, 0, NULL, NULL);
        ansi[i] = size > 0 ? (char *)LocalAlloc(LPTR, size) : NULL;
        if (ansi[i] == NULL || !WideCharToMultiByte(CP_ACP, 0, wide[i], -1, ansi[i], size, NULL, NULL))
            ansi = NULL; // the process ends at once; the system takes the blocks back
    }
    return ansi;
}

// Called by the start-up in windows_start.c with msvcrt's vector; a GUI program all the
// same (the link picks the subsystem).
extern "C" int wmain(int argc, wchar_t **argv)
{
    argumentCount = argc;
    wideArguments = argv;
    arguments = ConvertToAnsi(argc, argv);
    if (arguments == NULL)
        return kFailed;
    LimitDllSearchToSystemFolder();
    return InstallMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT);
}
