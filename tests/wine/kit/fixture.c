// Runs with exact command lines, their output, status and box; and the suite's fixture: the
// files and devices that cases start from, a case's set-up, and taking away what it leaves.
#include "kit.h"

#include <string.h>
#include <wchar.h>

static void ReadFileText(const wchar_t *path, Text *text)
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

// Waits for the failure box, notes its text and what the output file held while it
// waited, then presses OK as a person would.
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
    STARTUPINFOW startup = {.cb = sizeof startup, .dwFlags = STARTF_USESTDHANDLES, .hStdOutput = out,
                            .lpDesktop = desktop != NULL ? lstrcpynW(desktopName, desktop, MAX_PATH) : NULL};
    lstrcpynW(exact, commandLine, COUNT(exact)); // CreateProcessW writes to it
    PROCESS_INFORMATION process;
    runEnded = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE watcher = CreateThread(NULL, 0, PressBoxOk, run, 0, NULL);
    DWORD started = GetTickCount();
    SetLastError(0xdeadbeef);
    BOOL created = CreateProcessW(program, exact, NULL, NULL, TRUE, 0, NULL, directory, &startup, &process);
    // Wine under load now and then fails to start a process at all (1359, seen once in
    // about ten full runs); the program never ran, so it is started once more.
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

static const wchar_t *HiddenDesktopAt(WHERE)
{
    static HWINSTA station;
    if (station == NULL) {
        // The desktop is made inside the station while it is this process's own; both stay
        // open, so they live as long as the suite.
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

// key: the registry key below HKLM\Software that installing it writes.
#define SUITE_INF(key)                                                                      \
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"                           \
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"                                  \
    "Provider=drvplant suite\r\nDriverVer=12/07/2026,1.0.0.0\r\n\r\n"                       \
    "[Manufacturer]\r\ndrvplant suite=Models\r\n\r\n"                                       \
    "[Models]\r\nsuite device=Install,ROOT\\DRVPLANT_TEST\r\n"                              \
    "suite device=Install,ROOT\\DRVPLANT_SECOND\r\n"                                          \
    "suite device=Install,ROOT\\DRVCREATE_VIRTUAL\r\n\r\n"                                  \
    "[Install]\r\nAddReg=Install.AddReg\r\n\r\n[Install.Services]\r\nAddService=,2\r\n\r\n" \
    "[Install.AddReg]\r\nHKLM,Software\\" key ",Installed,,\"yes\"\r\n"
const char kInfBytes[] = SUITE_INF("drvplant-suite");
const char kDecoyInfBytes[] = SUITE_INF("drvplant-decoy");
static const char kBadInfBytes[] = "\x01\x02 not an INF \xff\r\n";

// Names of system DLLs that are not KnownDLLs, or that the system's own DLLs load.
const wchar_t *const kPlantedNames[] = {
    L"newdev", L"version", L"uxtheme", L"comctl32", L"cfgmgr32", L"wintrust", L"setupapi",
    L"user32", L"devobj", L"imm32", L"dwmapi", L"winmm", L"msimg32", L"crypt32", L"userenv",
    L"profapi", L"dbghelp", L"shlwapi", L"gdi32", L"advapi32", NULL,
};

void WriteFileBytesAt(const wchar_t *path, const char *bytes, WHERE)
{
    SetLastError(0xdeadbeef);
    HANDLE handle = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL wrote = handle != INVALID_HANDLE_VALUE &&
                 WriteFile(handle, bytes, (DWORD)strlen(bytes), &written, NULL);
    check_at(file, line, wrote, "writing %ls: error %lu", path, GetLastError());
    CloseHandle(handle);
}

static void CopyOrFailAt(const wchar_t *from, const wchar_t *to, WHERE)
{
    SetLastError(0xdeadbeef);
    check_at(file, line, CopyFileW(from, to, FALSE), "copying %ls to %ls: error %lu", from, to,
             GetLastError());
}

int FileHasBytes(const wchar_t *path, const char *bytes)
{
    static Text held;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return 0;
    ReadFileText(path, &held);
    return held.length == strlen(bytes) && memcmp(held.bytes, bytes, held.length) == 0;
}

const wchar_t *Beside(const wchar_t *folder, const wchar_t *name)
{
    static wchar_t path[MAX_PATH];
    return wcscat(wcscat(wcscpy(path, folder), L"\\"), name);
}

static void MakeFolders(const wchar_t *path)
{
    wchar_t part[MAX_PATH];
    for (size_t at = 3; at <= wcslen(path); at++)
        if (path[at] == L'\\' || path[at] == L'\0') {
            lstrcpynW(part, path, (int)at + 1);
            CreateDirectoryW(part, NULL);
        }
}

// name's path in the same build folder as drvplant, in a buffer of MAX_PATH units.
static const wchar_t *SameBuild(const wchar_t *drvplant, const wchar_t *name, wchar_t *path)
{
    wcscpy(wcsrchr(wcscpy(path, drvplant), L'\\') + 1, name);
    return path;
}

// exe as name in folder, with test.inf, bad.inf and, beside drvplant.exe, drvremove.exe and
// drvcreate.exe of the same build.
static void PlaceProgram(const wchar_t *folder, const wchar_t *exe, const wchar_t *name,
                         const wchar_t *drvplant, WHERE)
{
    static const wchar_t *const others[] = {L"drvremove.exe", L"drvcreate.exe"};
    wchar_t other[MAX_PATH];
    MakeFolders(folder);
    WriteFileBytesAt(Beside(folder, L"test.inf"), kInfBytes, file, line);
    WriteFileBytesAt(Beside(folder, L"bad.inf"), kBadInfBytes, file, line);
    CopyOrFailAt(exe, Beside(folder, name), file, line);
    for (size_t i = 0; wcscmp(name, L"drvplant.exe") == 0 && i < COUNT(others); i++)
        CopyOrFailAt(SameBuild(drvplant, others[i], other), Beside(folder, others[i]), file, line);
}

// Beside the planted exes, a DLL that leaves a mark when loaded under each planted name.
void PrepareSuiteAt(const wchar_t *drvplant, WHERE)
{
    static const wchar_t *const folders[] = {SUITE, SUITE L"\\drv plant", SUITE L"\\x64",
                                             CYRILLIC, CHINESE, DEVANAGARI, LOOK_ALIKE, PLANTED};
    static const char kSecond[] = "drvplant\\first\0ROOT\\DRVPLANT_SECOND\0drvplant\\third\0";
    wchar_t oldLoader[MAX_PATH], mark[MAX_PATH], dll[MAX_PATH];
    SameBuild(drvplant, L"drvplant_old_loader.exe", oldLoader);
    GetModuleFileNameW(NULL, mark, MAX_PATH);
    wcscpy(wcsrchr(mark, L'\\') + 1, L"mark.dll");
    for (size_t i = 0; i < COUNT(folders); i++)
        PlaceProgram(folders[i], drvplant, L"drvplant.exe", drvplant, file, line);
    PlaceProgram(L"C:\\dbcs", drvplant, wcsrchr(JAPANESE, L'\\') + 1, drvplant, file, line);
    PlaceProgram(PLANTED_OLD, oldLoader, L"drvplant.exe", drvplant, file, line);
    CreateDirectoryW(SUITE L"\\folder", NULL);
    CreateDirectoryW(L"C:\\elsewhere", NULL);
    CreateDirectoryW(L"C:\\marks", NULL);
    MakeFolders(L"C:\\Lukasz\\s");
    WriteFileBytesAt(L"C:\\Lukasz\\s\\test.inf", kDecoyInfBytes, file, line);
    for (size_t f = 0; f < 2; f++)
        for (size_t i = 0; kPlantedNames[i] != NULL; i++) {
            wcscat(wcscpy(dll, kPlantedNames[i]), L".dll");
            CopyOrFailAt(mark, Beside(f == 0 ? PLANTED : PLANTED_OLD, dll), file, line);
        }
    if (!DevicePresent("ROOT\\DRVPLANT_TEST")) {
        CreatePresentDeviceAt("ROOT\\DRVPLANT_TEST\0", 20, file, line);
        CreatePresentDeviceAt(kSecond, sizeof kSecond, file, line);
        CreatePresentDeviceAt("root\\drvplant_lower\0", 21, file, line);
        CreatePresentDeviceAt("", 0, file, line);
    }
    // The walks that the cases expect end at these.
    check_at(file, line,
             DevicePresent("ROOT\\DRVPLANT_TEST") && DevicePresent("ROOT\\DRVPLANT_SECOND") &&
                 DevicePresent("root\\drvplant_lower"),
             "the suite's devices are not all present");
}

// name in the x64 build's folder, beside this one's: drvplant is <builds>\x86\drvplant.exe.
static const wchar_t *X64Build(const wchar_t *drvplant, const wchar_t *name, wchar_t *path)
{
    wcscpy(path, drvplant);
    *wcsrchr(path, L'\\') = L'\0';
    wcscpy(wcsrchr(path, L'\\') + 1, L"x64\\");
    return wcscat(path, name);
}

void PrepareArchiveAt(const wchar_t *drvplant, WHERE)
{
    static const wchar_t *const trees[] = {ARCHIVE, RECORDED, ALONE};
    static const wchar_t *const exes[] = {L"drvplant.exe", L"drvremove.exe"};
    wchar_t from[MAX_PATH], to[MAX_PATH];
    for (size_t t = 0; t < COUNT(trees); t++) {
        MakeFolders(Beside(trees[t], L"x86"));
        WriteFileBytesAt(Beside(trees[t], L"test.inf"), kInfBytes, file, line);
        for (size_t e = 0; e < COUNT(exes); e++) {
            SameBuild(drvplant, exes[e], from);
            wcscat(wcscat(wcscpy(to, trees[t]), L"\\x86\\"), exes[e]);
            CopyOrFailAt(from, to, file, line);
            if (t == 2)
                continue;
            MakeFolders(wcscat(wcscpy(to, trees[t]), L"\\x64"));
            CopyOrFailAt(X64Build(drvplant, t == 0 ? exes[e] : L"tests\\wine\\recorder.exe", from),
                         wcscat(wcscat(to, L"\\"), exes[e]), file, line);
        }
    }
}

int RunsAsWow64(void)
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

int InstalledInView(REGSAM view)
{
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY, 0, KEY_READ | view, &key);
    if (opened == ERROR_SUCCESS)
        RegCloseKey(key);
    return opened == ERROR_SUCCESS;
}

#define RECORD L"C:\\record.txt"

void BeginRecording(const wchar_t *status)
{
    DeleteFileW(RECORD);
    SetEnvironmentVariableW(L"RECORD_TO", RECORD);
    SetEnvironmentVariableW(L"EXIT_STATUS", status);
}

void EndRecordingAt(const wchar_t *commandLine, const wchar_t *directory, WHERE)
{
    static Text expected, recorded;
    char utf8[4096];
    SetEnvironmentVariableW(L"RECORD_TO", NULL);
    SetEnvironmentVariableW(L"EXIT_STATUS", NULL);
    TextClear(&expected);
    if (RunsAsWow64()) {
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, utf8, sizeof utf8, NULL, NULL);
        TextAppend(&expected, utf8);
        TextAppend(&expected, "\r\n");
        WideCharToMultiByte(CP_UTF8, 0, directory, -1, utf8, sizeof utf8, NULL, NULL);
        TextAppend(&expected, utf8);
        TextAppend(&expected, "\r\n");
    }
    ReadFileText(RECORD, &recorded);
    CheckBytesAt(expected.bytes, recorded.bytes, "what the native exe was handed", file, line);
    DeleteFileW(RECORD);
}

void RunStartAt(Start start, enum StandardOutput output, int hidden, RunOutcome *run, WHERE)
{
    const wchar_t *program = start.program != NULL ? start.program : DRVPLANT;
    RunExactAt(program, start.commandLine != NULL ? start.commandLine : program,
               start.directory != NULL ? start.directory : SUITE, output,
               hidden ? HiddenDesktopAt(file, line) : NULL, run, file, line);
}

int FindPublishedCopy(wchar_t *name)
{
    WIN32_FIND_DATAW found;
    int seen = 0;
    HANDLE search = FindFirstFileW(INF_FOLDER_PATH L"\\oem*.inf", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && !seen; more = FindNextFileW(search, &found))
        if ((seen = FileHasBytes(Beside(INF_FOLDER_PATH, found.cFileName), kInfBytes)) != 0)
            wcscpy(name, found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return seen;
}

// Wine 10 keeps a driver store beside the published copies, as Windows does. A package
// left there without its published copy makes its SetupCopyOEMInfW fail with 2 for the
// same INF, so forgetting an install takes the package too.
void ForgetInstallsAt(WHERE)
{
    static const wchar_t kStore[] = L"C:\\windows\\system32\\driverstore\\filerepository";
    WIN32_FIND_DATAW found;
    wchar_t copy[MAX_PATH];
    // The x64 exe that an x86 one hands over to installs into the 64-bit view.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, INSTALL_KEY, KEY_WOW64_64KEY, 0);
    DeleteFileW(Beside(INF_FOLDER_PATH, L"test.inf"));
    while (FindPublishedCopy(copy))
        DeleteFileW(Beside(INF_FOLDER_PATH, copy));
    HANDLE search = FindFirstFileW(Beside(kStore, L"test.inf_*"), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        wcscpy(copy, Beside(kStore, found.cFileName));
        DeleteFileW(Beside(copy, L"test.inf"));
        SetLastError(0xdeadbeef);
        check_at(file, line, RemoveDirectoryW(copy), "%ls left in the driver store: error %lu",
                 copy, GetLastError());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

int DevicePresent(const char *hardwareId)
{
    const char *id = PresentHardwareIds();
    while (*id != '\0' && strcmp(id, hardwareId) != 0)
        id += strlen(id) + 1;
    return *id != '\0';
}

static const wchar_t *const kOverrides[] = {
    L"Software\\Wine\\AppDefaults\\drvplant.exe\\DllOverrides",
    L"Software\\Wine\\AppDefaults\\drvremove.exe\\DllOverrides",
    L"Software\\Wine\\AppDefaults\\drvcreate.exe\\DllOverrides",
};
static Text marks;

// Files that planted DLLs left in C:\marks when they were loaded, taken away as read so
// that a case sees only its own.
static void TakeMarks(void)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"C:\\marks\\*.dll", &found);
    TextClear(&marks);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        char name[MAX_PATH];
        DeleteFileW(Beside(L"C:\\marks", found.cFileName));
        WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, NULL, NULL);
        TextAppend(&marks, lstrcatA(name, " "));
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

void SetUpCaseAt(const wchar_t *const *names, const wchar_t *setting, WHERE)
{
    TakeMarks();
    for (size_t i = 0; names != NULL && i < COUNT(kOverrides); i++) {
        HKEY key;
        LONG made = RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides[i], 0, NULL, 0, KEY_WRITE, NULL,
                                    &key, NULL);
        check_at(file, line, made == ERROR_SUCCESS, "making %ls: error %ld", kOverrides[i], made);
        for (const wchar_t *const *name = names; made == ERROR_SUCCESS && *name != NULL; name++)
            RegSetValueExW(key, *name, 0, REG_SZ, (const BYTE *)setting,
                           (DWORD)((wcslen(setting) + 1) * sizeof *setting));
        RegCloseKey(key);
    }
}

void TearDownCaseAt(WHERE)
{
    for (size_t i = 0; i < COUNT(kOverrides); i++)
        RegDeleteKeyW(HKEY_CURRENT_USER, kOverrides[i]);
    TakeMarks();
    CheckBytesAt("", marks.bytes, "planted DLLs that were loaded", file, line);
}
