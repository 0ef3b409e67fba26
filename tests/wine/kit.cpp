#include "kit.h"

#include <setupapi.h>
#include <stdarg.h>
#include <stdio.h>

static int checks, failures;

void CheckAt(bool ok, const char *file, int line, const char *format, ...)
{
    checks++;
    if (ok)
        return;
    failures++;
    printf("%s:%d: check failed: ", file, line);
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    printf("\n");
}

static std::string Escaped(const std::string &bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        char shown[8] = {(char)c, '\0'};
        if (c == '\r' || c == '\n')
            snprintf(shown, sizeof shown, "\\%c", c == '\r' ? 'r' : 'n');
        else if (c < 0x20 || c >= 0x7f)
            snprintf(shown, sizeof shown, "\\x%02X", c);
        text += shown;
    }
    return text;
}

void CheckBytesAt(const std::string &expected, const std::string &actual, const char *file,
                  int line, const char *what)
{
    CheckAt(expected == actual, file, line, "%s\n  expected: \"%s\"\n  actual:   \"%s\"", what,
            Escaped(expected).c_str(), Escaped(actual).c_str());
}

int CheckSummary(const char *group)
{
    printf("%s: %d checks, %d failed\n", group, checks, failures);
    return failures == 0 ? 0 : 1;
}

static std::string ReadAll(const std::wstring &path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    check(file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), (DWORD)bytes.size(),
                                                    &written, NULL),
          "writing %ls: error %lu", path.c_str(), GetLastError());
    CloseHandle(file);
}

bool FileHasBytes(const std::wstring &path, const std::string &bytes)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && ReadAll(path) == bytes;
}

struct BoxWatch {
    std::wstring outPath;
    HANDLE stop;
    bool shown;
    std::string text, outAtBox;
};

// Waits for the failure box, notes its text and what the output file held while it
// waited, then presses OK as a person would.
static DWORD WINAPI PressBoxOk(void *context)
{
    BoxWatch *watch = (BoxWatch *)context;
    while (WaitForSingleObject(watch->stop, 20) == WAIT_TIMEOUT) {
        HWND box = FindWindowW(L"#32770", L"Warning");
        if (box == NULL)
            continue;
        char text[256] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        watch->shown = true;
        watch->text = text;
        watch->outAtBox = ReadAll(watch->outPath);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
    }
    return 0;
}

static HANDLE OpenStandardOutput(StandardOutput output, const std::wstring &outPath)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    switch (output) {
    case kOutputToFile:
        return CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, CREATE_ALWAYS, 0, NULL);
    case kOutputToFullDisk:
        return CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, NULL);
    case kOutputNone:
        break;
    }
    return NULL;
}

Outcome RunExact(const std::wstring &program, const std::wstring &commandLine,
                 const std::wstring &directory, StandardOutput output, const wchar_t *desktop)
{
    Outcome outcome = {"", MAXDWORD, false, "", "", 0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring outPath = std::wstring(temp) + L"drvplant-suite-out.txt";
    HANDLE out = OpenStandardOutput(output, outPath);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    std::wstring desktopName = desktop ? desktop : L"";
    startup.lpDesktop = desktop ? &desktopName[0] : NULL;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION process;
    BoxWatch watch = {outPath, CreateEventW(NULL, TRUE, FALSE, NULL), false, "", ""};
    HANDLE watcher = CreateThread(NULL, 0, PressBoxOk, &watch, 0, NULL);
    DWORD started = GetTickCount();
    if (CreateProcessW(program.c_str(), line.data(), NULL, NULL, TRUE, 0, NULL,
                       directory.c_str(), &startup, &process)) {
        bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
        outcome.milliseconds = GetTickCount() - started;
        check(ended, "%ls did not end within a minute", commandLine.c_str());
        if (!ended)
            TerminateProcess(process.hProcess, MAXDWORD);
        GetExitCodeProcess(process.hProcess, &outcome.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        check(false, "starting %ls: error %lu", commandLine.c_str(), GetLastError());
    }
    SetEvent(watch.stop);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(watch.stop);
    if (out != NULL && out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (output == kOutputToFile)
        outcome.out = ReadAll(outPath);
    outcome.boxShown = watch.shown;
    outcome.boxText = watch.text;
    outcome.outAtBox = watch.outAtBox;
    return outcome;
}

const wchar_t *HiddenDesktop(void)
{
    static const wchar_t kStation[] = L"Service-0x0-3e7$";
    static HWINSTA station;
    if (station == NULL) {
        // The desktop is made inside the station while it is this process's own; both stay
        // open, so they live as long as the suite.
        HWINSTA mine = GetProcessWindowStation();
        station = CreateWindowStationW(kStation, 0, WINSTA_ALL_ACCESS, NULL);
        check(station != NULL && SetProcessWindowStation(station),
              "making window station %ls: error %lu", kStation, GetLastError());
        HDESK desktop = CreateDesktopW(L"Default", NULL, NULL, 0, GENERIC_ALL, NULL);
        check(desktop != NULL, "making its desktop: error %lu", GetLastError());
        SetProcessWindowStation(mine);
    }
    return L"Service-0x0-3e7$\\Default";
}

void CreatePresentDevice(const std::string &hardwareIds)
{
    GUID systemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&systemClass, NULL);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    BOOL made = SetupDiCreateDeviceInfoA(set, "DRVPLANT_SUITE", &systemClass, NULL, NULL,
                                         DICD_GENERATE_ID, &device);
    if (made && !hardwareIds.empty())
        made = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                 (const BYTE *)hardwareIds.data(),
                                                 (DWORD)hardwareIds.size());
    if (made)
        made = SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    check(made, "creating a device: error 0x%08lx", GetLastError());
    SetupDiDestroyDeviceInfoList(set);
}

std::vector<std::string> PresentHardwareIds()
{
    std::vector<std::string> ids;
    HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); index++) {
        char list[4096] = "";
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, NULL,
                                               (BYTE *)list, sizeof list - 2, NULL))
            continue;
        for (const char *id = list; *id; id += strlen(id) + 1)
            ids.push_back(id);
    }
    SetupDiDestroyDeviceInfoList(set);
    return ids;
}

struct Wizard {
    std::wstring title;
    HANDLE ready;
    HANDLE thread;
    HWND window;
    volatile LONG closedByDrvplant;
};

static const UINT kTestCloses = WM_APP;

static LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wizard *wizard = (Wizard *)GetWindowLongPtrW(window, GWLP_USERDATA);
    switch (message) {
    case WM_CLOSE:
        wizard->closedByDrvplant = 1;
        DestroyWindow(window);
        return 0;
    case kTestCloses:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static DWORD WINAPI RunWizard(void *context)
{
    Wizard *wizard = (Wizard *)context;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WizardProc;
    windowClass.lpszClassName = L"DrvplantSuiteWizard";
    RegisterClassW(&windowClass); // fails harmlessly once registered
    wizard->window = CreateWindowExW(0, windowClass.lpszClassName, wizard->title.c_str(),
                                     WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    check(wizard->window != NULL, "creating the wizard window: error %lu", GetLastError());
    SetWindowLongPtrW(wizard->window, GWLP_USERDATA, (LONG_PTR)wizard);
    SetEvent(wizard->ready);
    MSG message;
    while (wizard->window != NULL && GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

Wizard *OpenWizard(const std::wstring &title)
{
    Wizard *wizard = new Wizard{title, CreateEventW(NULL, TRUE, FALSE, NULL), NULL, NULL, 0};
    wizard->thread = CreateThread(NULL, 0, RunWizard, wizard, 0, NULL);
    WaitForSingleObject(wizard->ready, INFINITE);
    return wizard;
}

bool CloseWizard(Wizard *wizard)
{
    if (IsWindow(wizard->window))
        PostMessageW(wizard->window, kTestCloses, 0, 0);
    WaitForSingleObject(wizard->thread, INFINITE);
    CloseHandle(wizard->thread);
    CloseHandle(wizard->ready);
    bool closed = wizard->closedByDrvplant != 0;
    delete wizard;
    return closed;
}
