// The C runtime side of the seam on Windows: msvcrt's own argument vector and stdio,
// whose text mode and buffering are exactly what callers of the tool see.
#include "platform/platform.h"
#include "platform/windows_dlls.h"

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

// Each exe is built with its own program's entry here.
ProgramMain PROGRAM_MAIN;

// Called by the start-up in windows_start.c with msvcrt's vector; a GUI program all the
// same (the link picks the subsystem).
extern "C" int wmain(int argc, wchar_t **argv)
{
    char **arguments = ConvertToAnsi(argc, argv);
    if (arguments == NULL)
        return PROGRAM_FAILED;
    LimitDllSearchToSystemFolder();
    return PROGRAM_MAIN(argc, arguments, argv);
}
