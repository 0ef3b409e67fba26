/* The start-up of every exe we build, on x86, x64 and ARM64 alike, in place of the
 * toolchain's: msvcrt splits the command line, main runs, and exit flushes standard
 * output and ends the process with main's result. Nothing here needs static constructors
 * or thread-local storage. Globbing stays off, so an argument such as "te?t.inf" arrives
 * as it was written. */
typedef struct {
    int newMode;
} StartupInfo;

int __cdecl __getmainargs(int *argc, char ***argv, char ***environment, int expandWildcards,
                          StartupInfo *info);
void __cdecl exit(int status);
int main(int argc, char **argv);

/* GCC's MinGW targets call this first thing in main, to run static constructors; there
 * are none to run. */
void __main(void)
{
}

/* The entry of a GUI-subsystem exe. */
void WinMainCRTStartup(void)
{
    int argc;
    char **argv, **environment;
    StartupInfo info = {0};
    /* Only when msvcrt cannot allocate the vector; there is nothing to run then. */
    if (__getmainargs(&argc, &argv, &environment, 0, &info) < 0)
        exit(2);
    exit(main(argc, argv));
}

/* The entry of a console-subsystem exe: the same. */
void mainCRTStartup(void)
{
    WinMainCRTStartup();
}
