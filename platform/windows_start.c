/* The start-up of every exe we build, on x86, x64 and ARM64 alike, in place of the
 * toolchain's: msvcrt splits the system's UTF-16 command line, wmain runs, and exit
 * flushes standard output and ends the process with wmain's result. The ANSI split would
 * lose every character that the ANSI code page cannot hold, or put a look-alike in its
 * place. Nothing here needs static constructors or thread-local storage. Globbing stays
 * off, so an argument such as "te?t.inf" arrives as it was written. */
#include <wchar.h>

typedef struct {
    int newMode;
} StartupInfo;

int __cdecl __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***environment,
                           int expandWildcards, StartupInfo *info);
void __cdecl exit(int status);
int wmain(int argc, wchar_t **argv);
void SeedStackCookie(void); /* windows_hardening.c */

/* GCC's MinGW targets, and clang's for x64, call this first thing in main, to run static
 * constructors; there are none to run. */
void __main(void)
{
}

/* The entry of a GUI-subsystem exe. Its own frame would hold the cookie from before the
 * seeding, so it has none. */
__attribute__((no_stack_protector)) void WinMainCRTStartup(void)
{
    int argc;
    wchar_t **argv, **environment;
    StartupInfo info = {0};
    SeedStackCookie();
    /* Only when msvcrt cannot allocate the vector; there is nothing to run then. */
    if (__wgetmainargs(&argc, &argv, &environment, 0, &info) < 0)
        exit(2);
    exit(wmain(argc, argv));
}

/* The entry of a console-subsystem exe: the same. */
void mainCRTStartup(void)
{
    WinMainCRTStartup();
}
