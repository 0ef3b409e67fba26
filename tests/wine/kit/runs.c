/* Runs of a program with an exact command line: its output, status and box. */
#include "kit.h"

#include <string.h>
#include <wchar.h>

void ReadFileText(const wchar_t *path, Text *text)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    DWORD got;
    TextClear(text);
    while (file != INVALID_HANDLE_VALUE && text->length < sizeof text->bytes - 1 &&
           ReadFile(file, text->bytes + text->length,
                    (DWORD)(sizeof text->bytes - 1 - text->length), &got, NULL) &&
           got > 0)
        text->length += got;
    text->bytes[text->length] = '\0';
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

static wchar_t outPath[MAX_PATH + 32];
static HANDLE runEnded;

/* Waits for the failure box, notes its text and what the output file held while it
 * waited, then presses OK as a person would. */
static DWORD WINAPI PressBoxOk(void *context)
{
    RunOutcome *run = (RunOutcome *)context;
    HWND box = NULL;
    while (box == NULL && WaitForSingleObject(runEnded, 20) == WAIT_TIMEOUT)
        box = FindWindowW(L"#32770", L"Warning");
    if (box != NULL) {
        GetDlgItemTextA(box, 0xFFFF, run->boxText, sizeof run->boxText);
        run->boxShown = 1;
        ReadFileText(outPath, &run->outAtBox);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

void RunExactAt(const wchar_t *program, const wchar_t *commandLine, const wchar_t *directory,
                enum StandardOutput output, const wchar_t *desktop, RunOutcome *run, WHERE)
{
    static wchar_t exact[4096], desktopName[MAX_PATH];
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    memset(run, 0, sizeof *run);
    run->status = MAXDWORD;
    GetTempPathW(MAX_PATH, outPath);
    wcscat(outPath, L"drvplant-suite-out.txt");
    int toFile = output == kOutputToFile;
    HANDLE out = output == kOutputNone
                     ? NULL
                     : CreateFileW(toFile ? outPath : L"Z:\\dev\\full", GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   toFile ? CREATE_ALWAYS : OPEN_EXISTING, 0, NULL);
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.lpDesktop = desktop != NULL ? lstrcpynW(desktopName, desktop, MAX_PATH) : NULL;
    lstrcpynW(exact, commandLine, COUNT(exact)); /* CreateProcessW writes to it */
    PROCESS_INFORMATION process;
    runEnded = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE watcher = CreateThread(NULL, 0, PressBoxOk, run, 0, NULL);
    DWORD started = GetTickCount();
    SetLastError(0xdeadbeef);
    BOOL created = CreateProcessW(program, exact, NULL, NULL, TRUE, 0, NULL, directory, &startup, &process);
    /* Wine under load now and then fails to start a process at all (1359, seen once in
     * about ten full runs); the program never ran, so it is started once more. */
    if (!created && GetLastError() == ERROR_INTERNAL_ERROR) {
        printf("starting %ls failed with 1359; once more\n", commandLine);
        lstrcpynW(exact, commandLine, COUNT(exact));
        SetLastError(0xdeadbeef);
        created = CreateProcessW(program, exact, NULL, NULL, TRUE, 0, NULL, directory, &startup, &process);
    }
    if (created) {
        int ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
        run->milliseconds = GetTickCount() - started;
        check_at(file, line, ended, "%ls did not end within a minute", commandLine);
        if (!ended)
            TerminateProcess(process.hProcess, MAXDWORD);
        GetExitCodeProcess(process.hProcess, &run->status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        check_at(file, line, 0, "starting %ls: error %lu", commandLine, GetLastError());
    }
    SetEvent(runEnded);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(runEnded);
    if (out != NULL && out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (toFile)
        ReadFileText(outPath, &run->out);
}

const wchar_t *HiddenDesktopAt(WHERE)
{
    static HWINSTA station;
    if (station == NULL) {
        /* The desktop is made inside the station while it is this process's own; both stay
         * open, so they live as long as the suite. */
        HWINSTA mine = GetProcessWindowStation();
        SetLastError(0xdeadbeef);
        station = CreateWindowStationW(L"Service-0x0-3e7$", 0, WINSTA_ALL_ACCESS, NULL);
        check_at(file, line, station != NULL && SetProcessWindowStation(station),
                 "making a hidden window station: error %lu", GetLastError());
        SetLastError(0xdeadbeef);
        HDESK desktop = CreateDesktopW(L"Default", NULL, NULL, 0, GENERIC_ALL, NULL);
        check_at(file, line, desktop != NULL, "making its desktop: error %lu", GetLastError());
        SetProcessWindowStation(mine);
    }
    return L"Service-0x0-3e7$\\Default";
}
