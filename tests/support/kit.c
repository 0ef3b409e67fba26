#include "kit.h"

#include <setupapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static int checks, failures;

/* The shared start-up hands over the UTF-16 vector; the kit's programs read ANSI. */
int main(int argc, char **argv);
int wmain(int argc, wchar_t **wide)
{
    char **argv = (char **)calloc((size_t)argc + 1, sizeof *argv);
    for (int i = 0; i < argc; i++) {
        int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, NULL, 0, NULL, NULL);
        argv[i] = (char *)calloc((size_t)size + 1, 1);
        WideCharToMultiByte(CP_ACP, 0, wide[i], -1, argv[i], size, NULL, NULL);
    }
    return main(argc, argv);
}

int CheckCounted(int ok, const char *file, int line)
{
    checks++;
    if (!ok) {
        failures++;
        printf("%s:%d: check failed: ", file, line);
    }
    return ok;
}

static void PrintEscaped(const char *bytes)
{
    for (const unsigned char *at = (const unsigned char *)bytes; *at != '\0'; at++) {
        if (*at == '\r')
            printf("\\r");
        else if (*at == '\n')
            printf("\\n");
        else if (*at < 0x20 || *at >= 0x7f)
            printf("\\x%02X", *at);
        else
            printf("%c", *at);
    }
}

void CheckBytesAt(const char *expected, const char *actual, const char *file, int line,
                  const char *what)
{
    if (CheckCounted(strcmp(expected, actual) == 0, file, line))
        return;
    printf("%s\n  expected: \"", what);
    PrintEscaped(expected);
    printf("\"\n  actual:   \"");
    PrintEscaped(actual);
    printf("\"\n");
}

int CheckSummary(const char *group)
{
    printf("%s: %d checks, %d failed\n", group, checks, failures);
    return failures == 0 ? 0 : 1;
}

static const char *caseGroup = "", *caseFilter;
static const char *caseName;
static int failuresBefore;

void SelectCases(const char *group, const char *filter)
{
    caseGroup = group;
    caseFilter = filter != NULL && filter[0] != '\0' ? filter : NULL;
}

int BeginCase(const char *name)
{
    if (caseFilter != NULL && strstr(name, caseFilter) == NULL)
        return 0;
    caseName = name;
    failuresBefore = failures;
    return 1;
}

void EndCase(void)
{
    printf("%s %s/%s\n", failures == failuresBefore ? "ok  " : "FAIL", caseGroup, caseName);
}

void TextClear(Text *text)
{
    text->length = 0;
    text->bytes[0] = '\0';
}

void TextAppend(Text *text, const char *bytes)
{
    size_t length = strlen(bytes);
    if (length > sizeof text->bytes - 1 - text->length)
        length = sizeof text->bytes - 1 - text->length;
    memcpy(text->bytes + text->length, bytes, length);
    text->length += length;
    text->bytes[text->length] = '\0';
}

static void ReadAll(const wchar_t *path, Text *text)
{
    TextClear(text);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    DWORD got;
    if (file == INVALID_HANDLE_VALUE)
        return;
    while (text->length < sizeof text->bytes - 1 &&
           ReadFile(file, text->bytes + text->length,
                    (DWORD)(sizeof text->bytes - 1 - text->length), &got, NULL) &&
           got > 0)
        text->length += got;
    text->bytes[text->length] = '\0';
    CloseHandle(file);
}

void WriteFileBytes(const wchar_t *path, const char *bytes, size_t size)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    check(file != INVALID_HANDLE_VALUE && WriteFile(file, bytes, (DWORD)size, &written, NULL),
          "writing %ls: error %lu", path, GetLastError());
    CloseHandle(file);
}

int FileHasBytes(const wchar_t *path, const char *bytes, size_t size)
{
    static Text held;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return 0;
    ReadAll(path, &held);
    return held.length == size && memcmp(held.bytes, bytes, size) == 0;
}

typedef struct {
    const wchar_t *outPath;
    HANDLE stop;
    Outcome *outcome;
} BoxWatch;

/* Waits for the failure box, notes its text and what the output file held while it
 * waited, then presses OK as a person would. */
static DWORD WINAPI PressBoxOk(void *context)
{
    BoxWatch *watch = (BoxWatch *)context;
    while (WaitForSingleObject(watch->stop, 20) == WAIT_TIMEOUT) {
        HWND box = FindWindowW(L"#32770", L"Warning");
        if (box == NULL)
            continue;
        GetDlgItemTextA(box, 0xFFFF, watch->outcome->boxText, sizeof watch->outcome->boxText);
        watch->outcome->boxShown = 1;
        ReadAll(watch->outPath, &watch->outcome->outAtBox);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
    }
    return 0;
}

static HANDLE OpenStandardOutput(enum StandardOutput output, const wchar_t *outPath)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    switch (output) {
    case kOutputToFile:
        return CreateFileW(outPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, 0, NULL);
    case kOutputToFullDisk:
        return CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, NULL);
    case kOutputNone:
        break;
    }
    return NULL;
}

void RunExact(const wchar_t *program, const wchar_t *commandLine, const wchar_t *directory,
              enum StandardOutput output, const wchar_t *desktop, Outcome *outcome)
{
    static wchar_t line[4096], desktopName[MAX_PATH];
    wchar_t outPath[MAX_PATH + 32];
    memset(outcome, 0, sizeof *outcome);
    outcome->status = MAXDWORD;
    GetTempPathW(MAX_PATH, outPath);
    wcscat(outPath, L"drvplant-suite-out.txt");
    HANDLE out = OpenStandardOutput(output, outPath);

    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    if (desktop != NULL) {
        lstrcpynW(desktopName, desktop, MAX_PATH);
        startup.lpDesktop = desktopName;
    }
    lstrcpynW(line, commandLine, sizeof line / sizeof line[0]); /* CreateProcessW writes to it */
    PROCESS_INFORMATION process;
    BoxWatch watch = {outPath, CreateEventW(NULL, TRUE, FALSE, NULL), outcome};
    HANDLE watcher = CreateThread(NULL, 0, PressBoxOk, &watch, 0, NULL);
    DWORD started = GetTickCount();
    if (CreateProcessW(program, line, NULL, NULL, TRUE, 0, NULL, directory, &startup, &process)) {
        int ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
        outcome->milliseconds = GetTickCount() - started;
        check(ended, "%ls did not end within a minute", commandLine);
        if (!ended)
            TerminateProcess(process.hProcess, MAXDWORD);
        GetExitCodeProcess(process.hProcess, &outcome->status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        check(0, "starting %ls: error %lu", commandLine, GetLastError());
    }
    SetEvent(watch.stop);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(watch.stop);
    if (out != NULL && out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (output == kOutputToFile)
        ReadAll(outPath, &outcome->out);
}

const wchar_t *HiddenDesktop(void)
{
    static HWINSTA station;
    if (station == NULL) {
        /* The desktop is made inside the station while it is this process's own; both stay
         * open, so they live as long as the suite. */
        HWINSTA mine = GetProcessWindowStation();
        station = CreateWindowStationW(L"Service-0x0-3e7$", 0, WINSTA_ALL_ACCESS, NULL);
        check(station != NULL && SetProcessWindowStation(station),
              "making a hidden window station: error %lu", GetLastError());
        HDESK desktop = CreateDesktopW(L"Default", NULL, NULL, 0, GENERIC_ALL, NULL);
        check(desktop != NULL, "making its desktop: error %lu", GetLastError());
        SetProcessWindowStation(mine);
    }
    return L"Service-0x0-3e7$\\Default";
}

void CreatePresentDevice(const char *hardwareIds, size_t size)
{
    GUID systemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&systemClass, NULL);
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    BOOL made = SetupDiCreateDeviceInfoA(set, "DRVPLANT_SUITE", &systemClass, NULL, NULL,
                                         DICD_GENERATE_ID, &device);
    if (made && size > 0)
        made = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                 (const BYTE *)hardwareIds, (DWORD)size);
    if (made)
        made = SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    check(made, "creating a device: error 0x%08lx", GetLastError());
    SetupDiDestroyDeviceInfoList(set);
}

void ForEachPresentHardwareId(int (*visit)(const char *id, void *context), void *context)
{
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    int going = 1;
    for (DWORD index = 0; going && SetupDiEnumDeviceInfo(set, index, &device); index++) {
        char list[4096] = "";
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL,
                                               (BYTE *)list, sizeof list - 2, NULL))
            continue;
        for (const char *id = list; going && *id; id += strlen(id) + 1)
            going = visit(id, context);
    }
    SetupDiDestroyDeviceInfoList(set);
}

struct Wizard {
    const wchar_t *title;
    HANDLE ready, hanging, release;
    HANDLE thread;
    HWND window;
    volatile LONG closedByDrvplant;
};

static const UINT kTestCloses = WM_APP, kTestHangs = WM_APP + 1;

static LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wizard *wizard = (Wizard *)GetWindowLongPtrW(window, GWLP_USERDATA);
    switch (message) {
    case WM_CLOSE:
        wizard->closedByDrvplant = 1;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    if (message == kTestCloses) {
        DestroyWindow(window);
        return 0;
    }
    if (message == kTestHangs) { /* a program that has stopped reading its messages */
        SetEvent(wizard->hanging);
        WaitForSingleObject(wizard->release, INFINITE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static DWORD WINAPI RunWizard(void *context)
{
    Wizard *wizard = (Wizard *)context;
    WNDCLASSW windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = WizardProc;
    windowClass.lpszClassName = L"DrvplantSuiteWizard";
    RegisterClassW(&windowClass); /* fails harmlessly once registered */
    wizard->window = CreateWindowExW(0, windowClass.lpszClassName, wizard->title,
                                     WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    check(wizard->window != NULL, "creating the wizard window: error %lu", GetLastError());
    SetWindowLongPtrW(wizard->window, GWLP_USERDATA, (LONG_PTR)wizard);
    SetEvent(wizard->ready);
    MSG message;
    while (wizard->window != NULL && GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

Wizard *OpenWizard(const wchar_t *title)
{
    Wizard *wizard = (Wizard *)calloc(1, sizeof *wizard);
    wizard->title = title;
    wizard->ready = CreateEventW(NULL, TRUE, FALSE, NULL);
    wizard->hanging = CreateEventW(NULL, TRUE, FALSE, NULL);
    wizard->release = CreateEventW(NULL, TRUE, FALSE, NULL);
    wizard->thread = CreateThread(NULL, 0, RunWizard, wizard, 0, NULL);
    WaitForSingleObject(wizard->ready, INFINITE);
    return wizard;
}

void HangWizard(Wizard *wizard)
{
    PostMessageW(wizard->window, kTestHangs, 0, 0);
    WaitForSingleObject(wizard->hanging, INFINITE);
}

int CloseWizard(Wizard *wizard)
{
    SetEvent(wizard->release);
    if (IsWindow(wizard->window))
        PostMessageW(wizard->window, kTestCloses, 0, 0);
    WaitForSingleObject(wizard->thread, INFINITE);
    CloseHandle(wizard->thread);
    CloseHandle(wizard->ready);
    CloseHandle(wizard->hanging);
    CloseHandle(wizard->release);
    int closed = wizard->closedByDrvplant != 0;
    free(wizard);
    return closed;
}
