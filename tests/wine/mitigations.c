// Does a stack buffer overrun end the process at once? Built as every exe we ship is (the
// same start-up and flags), this runs itself with a text that fits its buffer and with one
// that overruns it, and checks how each run ended. Usage: mitigations mitigations "" <case> <cases>
#include <string.h>
#include <wchar.h>
#include "kit.h"

// A child run: copies argv[2] into a 16-byte buffer in a frame of its own (inlined, the
// buffer would sit far below main's cookie).
__attribute__((noinline)) static int Echo(const char *text)
{
    char buffer[16];
    printf("started\n"); // held in the buffer of standard output until an orderly exit
    strcpy(buffer, text);
    return puts(buffer) < 0;
}

static void MitigationCases(const wchar_t *none)
{
    static const struct {
        const char *name, *out;
        const wchar_t *text;
        DWORD status;
    } runs[] = {
        {"a_copy_that_fits_runs_on", "started\r\nfifteen_bytes..\r\n", L"fifteen_bytes..", 0},
        // Nothing flushed: the process ended before anything else of it ran.
        {"a_stack_overrun_ends_the_process_at_once", "", L"forty_bytes_run_over_the_cookie_and_on..",
         STATUS_STACK_BUFFER_OVERRUN},
    };
    wchar_t self[MAX_PATH], line[2 * MAX_PATH];
    (void)none;
    GetModuleFileNameW(NULL, self, MAX_PATH);
    for (size_t i = 0; i < COUNT(runs); i++) {
        static RunOutcome run;
        in_case(runs[i].name) {
            wcscat(wcscat(wcscat(wcscpy(line, L"\""), self), L"\" echo "), runs[i].text);
            RunExact(self, line, NULL, kOutputToFile, NULL, &run);
            check(run.status == runs[i].status, "%ls ended with 0x%lx", runs[i].text, run.status);
            check_bytes(runs[i].out, run.out.bytes, "its output");
        }
    }
}

int main(int argc, char **argv)
{
    static const Group groups[] = {{"mitigations", MitigationCases}};
    if (argc == 3 && strcmp(argv[1], "echo") == 0)
        return Echo(argv[2]);
    return RunGroup(argc, argv, groups, COUNT(groups));
}
