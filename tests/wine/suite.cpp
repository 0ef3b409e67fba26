// Drives the real drvplant.exe under Wine: exact command lines in, standard output
// byte for byte, exit status and what landed out. Usage: suite <drvplant.exe> <group>,
// where the group matches the locale Wine was started in (english, chinese, japanese).
#include "kit.h"

#include <string.h>

static const char kUsage[] = "usage: drvplant <INF_File> <Hardware_ID>\r\n";
static const char kNotFound[] = "  File not found.\r\nusage: drvplant <INF_File> <Hardware_ID>\r\n";
static const char kInstalled[] = "Driver Installed successfully.\r\n";
static const char kWalkedAll[] =
    "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"
    "Driver Installed successfully.\r\n";
static const char kWalkedAllThenBox[] = "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n";

static const char kInf[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=System\r\n"
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
    "Provider=drvplant suite\r\n"
    "DriverVer=12/07/2026,1.0.0.0\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "drvplant suite=Models\r\n"
    "\r\n"
    "[Models]\r\n"
    "suite device=Install,ROOT\\DRVPLANT_TEST\r\n"
    "suite device=Install,ROOT\\DRVPLANT_SECOND\r\n"
    "\r\n"
    "[Install]\r\n"
    "AddReg=Install.AddReg\r\n"
    "\r\n"
    "[Install.Services]\r\n"
    "AddService=,2\r\n"
    "\r\n"
    "[Install.AddReg]\r\n"
    "HKLM,Software\\drvplant-suite,Installed,,\"yes\"\r\n";

static const char kInstallKey[] = "Software\\drvplant-suite";
static const wchar_t kOemCopy[] = L"C:\\windows\\inf\\test.inf";

enum Landed { kNothing, kForced, kPreinstalled, kBox, kNotChecked };

struct Case {
    const char *name;
    const wchar_t *program;     // the file started
    const wchar_t *commandLine; // exact, element 0 included
    const wchar_t *directory;
    const char *searchId;       // when set, the device walk's lines come first
    const char *tail;           // the lines after the walk
    DWORD status;
    Landed landed;
    StandardOutput output;
    const wchar_t *desktop = NULL; // NULL: the suite's own, which a person would see
};

#define DRVPLANT L"C:\\suite\\drvplant.exe"
#define ARCH_DRVPLANT L"C:\\suite\\x64\\drvplant.exe"

static std::string Upper(std::string text)
{
    CharUpperA(&text[0]);
    return text;
}

// What the walk prints for searchId on this prefix's devices.
static std::string WalkLines(const char *searchId)
{
    std::string lines = std::string("Search for Device ID: [") + searchId + "]\r\n";
    for (const std::string &id : PresentHardwareIds()) {
        lines += "Compare device ID: [" + id + "]\r\n";
        if (Upper(id) == searchId)
            return lines + "Found! [" + Upper(id) + "]\r\n";
    }
    return lines;
}

static bool InstallKeyExists(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static void ForgetInstalls(void)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
    DeleteFileW(kOemCopy);
}

// Files that planted DLLs left in C:\marks when they were loaded.
static std::string Marks(void)
{
    std::string marks;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\marks\\*.dll", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        marks += std::string(found.cFileName) + " ";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return marks;
}

static void RunCases(const Case *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const Case &c = cases[i];
        ForgetInstalls();
        std::string expected = (c.searchId ? WalkLines(c.searchId) : "") + c.tail;
        Outcome run = RunExact(c.program, c.commandLine, c.directory, c.output, c.desktop);
        std::string what = "case " + std::to_string(i) + " (" + c.name + "): output";
        if (c.output == kOutputToFile)
            check_bytes(expected, run.out, what.c_str());
        check(run.status == c.status, "case %u (%s): status %lu, expected %lu", (unsigned)i,
              c.name, run.status, c.status);
        check(run.boxShown == (c.landed == kBox), "case %u (%s): box shown %d", (unsigned)i,
              c.name, run.boxShown);
        if (c.desktop)
            check(run.milliseconds < 10000, "case %u (%s): took %lu ms", (unsigned)i, c.name,
                  run.milliseconds);
        check_bytes("", Marks(), (what + ": planted DLLs loaded").c_str());
        if (c.landed == kBox) {
            check_bytes("Error-Install Driver Failed!", run.boxText, (what + " box text").c_str());
            check_bytes(expected, run.outAtBox, (what + " reached before the box").c_str());
        }
        // Wine's forced update places the INF among the OEM INFs too, so a forced run is
        // told apart by the install section's registry value alone.
        bool forced = InstallKeyExists();
        bool copied = FileHasBytes(kOemCopy, kInf);
        if (c.landed != kNotChecked)
            check(forced == (c.landed == kForced), "case %u (%s): forced install %s", (unsigned)i,
                  c.name, forced ? "ran" : "did not run");
        if (c.landed != kNotChecked && c.landed != kForced)
            check(copied == (c.landed == kPreinstalled), "case %u (%s): OEM copy %s", (unsigned)i,
                  c.name, copied ? "made" : "not made");
    }
    ForgetInstalls();
}

static void PrepareFiles(void)
{
    CreateDirectoryW(L"C:\\suite", NULL);
    CreateDirectoryW(L"C:\\suite\\folder", NULL);
    CreateDirectoryW(L"C:\\suite\\drv plant", NULL);
    CreateDirectoryW(L"C:\\suite\\x64", NULL);
    CreateDirectoryW(L"C:\\elsewhere", NULL);
    CreateDirectoryW(L"C:\\marks", NULL);
    WriteFileBytes(L"C:\\suite\\test.inf", kInf);
    WriteFileBytes(L"C:\\suite\\drv plant\\test.inf", kInf);
    WriteFileBytes(L"C:\\suite\\bad.inf", std::string("\x01\x02 not an INF \xff\r\n", 18));
}

static void PrepareDevices(void)
{
    for (const std::string &id : PresentHardwareIds())
        if (id == "ROOT\\DRVPLANT_TEST")
            return;
    CreatePresentDevice(std::string("ROOT\\DRVPLANT_TEST\0", 20));
    CreatePresentDevice(std::string("drvplant\\first\0ROOT\\DRVPLANT_SECOND\0drvplant\\third\0", 52));
    CreatePresentDevice(std::string("root\\drvplant_lower\0", 21));
    CreatePresentDevice("");
}

static void EnglishCases(const std::wstring &drvplant)
{
    check(CopyFileW(drvplant.c_str(), DRVPLANT, FALSE) &&
              CopyFileW(drvplant.c_str(), L"C:\\suite\\drv plant\\drvplant.exe", FALSE) &&
              CopyFileW(drvplant.c_str(), ARCH_DRVPLANT, FALSE),
          "copying %ls: error %lu", drvplant.c_str(), GetLastError());
    std::wstring longLine = DRVPLANT L" " + std::wstring(1100, L'a') + L".inf ROOT\\X";
    const Case cases[] = {
        {"empty command line", DRVPLANT, L"", L"C:\\suite", NULL, kUsage, 2, kNothing, kOutputToFile},
        {"no argument", DRVPLANT, DRVPLANT, L"C:\\suite", NULL, kUsage, 2, kNothing, kOutputToFile},
        {"one argument", DRVPLANT, DRVPLANT L" test.inf", L"C:\\suite", NULL, kUsage, 2, kNothing,
         kOutputToFile},
        {"three arguments", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST more",
         L"C:\\suite", NULL, kUsage, 2, kNothing, kOutputToFile},
        {"INF missing", DRVPLANT, DRVPLANT L" missing.inf ROOT\\DRVPLANT_TEST", L"C:\\suite",
         NULL, kNotFound, 2, kNothing, kOutputToFile},
        {"absolute INF still goes after the directory", DRVPLANT,
         DRVPLANT L" C:\\suite\\test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, kNotFound, 2,
         kNothing, kOutputToFile},
        {"forward slashes name no directory", DRVPLANT,
         L"C:/suite/drvplant.exe test.inf ROOT\\DRVPLANT_TEST", L"C:\\elsewhere", NULL,
         kNotFound, 2, kNothing, kOutputToFile},
        {"INF path too long for its buffer", DRVPLANT, longLine.c_str(), L"C:\\suite", NULL,
         kUsage, 2, kNothing, kOutputToFile},
        {"forced onto the present device", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\elsewhere", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        // The relative path found beside the current directory is handed on as it is;
        // Wine's copy refuses it.
        {"no directory: INF beside the current one", DRVPLANT,
         L"drvplant test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"the second ID of a device matches", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_SECOND", L"C:\\suite", "ROOT\\DRVPLANT_SECOND",
         kInstalled, 0, kForced, kOutputToFile},
        // Wine's forced update compares case-sensitively, so what lands is Wine's business.
        {"a stored lower-case ID matches", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_LOWER",
         L"C:\\suite", "ROOT\\DRVPLANT_LOWER", kInstalled, 0, kNotChecked, kOutputToFile},
        {"a lower-case search ID never matches", DRVPLANT,
         DRVPLANT L" test.inf root\\drvplant_test", L"C:\\suite", "root\\drvplant_test",
         kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"absent device: INF pre-installed", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"quoted program path with a blank", L"C:\\suite\\drv plant\\drvplant.exe",
         L"\"C:\\suite\\drv plant\\drvplant.exe\" test.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\elsewhere", "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        // The layout the README suggests: each exe in its own folder below the INF.
        {"INF one folder up: forced", ARCH_DRVPLANT, ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\elsewhere", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        {"INF one folder up: pre-installed", ARCH_DRVPLANT,
         ARCH_DRVPLANT L" ..\\test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\elsewhere",
         "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"failed pre-installation shows the box", DRVPLANT,
         DRVPLANT L" bad.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"a directory passes the existence test", DRVPLANT,
         DRVPLANT L" folder ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"a wildcard passes the existence test", DRVPLANT,
         DRVPLANT L" te?t.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
        {"no standard output: still forced", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, "", 0, kForced,
         kOutputNone},
        {"standard output on a full disk: still forced", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, "", 0, kForced,
         kOutputToFullDisk},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

// Deployment agents run drvplant as SYSTEM on a window station nobody sees: the box
// would wait for ever there, so its text becomes a line; nothing else changes.
static void HiddenStationCases(void)
{
    const wchar_t *hidden = HiddenDesktop();
    std::string failed = std::string(kWalkedAllThenBox) + "Error-Install Driver Failed!\r\n";
    const Case cases[] = {
        {"nobody sees the station: failed pre-installation", DRVPLANT,
         DRVPLANT L" bad.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         failed.c_str(), 2, kNothing, kOutputToFile, hidden},
        {"nobody sees the station: forced", DRVPLANT, DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\suite", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile, hidden},
        {"nobody sees the station: pre-installed", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_ABSENT", L"C:\\suite", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAll, 0, kPreinstalled, kOutputToFile, hidden},
        {"a station a person sees: the box", DRVPLANT, DRVPLANT L" bad.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\suite", "ROOT\\DRVPLANT_ABSENT", kWalkedAllThenBox, 2, kBox, kOutputToFile},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

static const wchar_t kDrvplantOverrides[] = L"Software\\Wine\\AppDefaults\\drvplant.exe\\DllOverrides";

// Runs the cases with Wine's load order for drvplant.exe set to setting ("native,builtin",
// or "" for not at all) for each of names. Wine reads it from the registry at each start.
static void RunCasesWithOverrides(const wchar_t *const *names, size_t nameCount,
                                  const wchar_t *setting, const Case *cases, size_t count)
{
    HKEY key;
    LONG made = RegCreateKeyExW(HKEY_CURRENT_USER, kDrvplantOverrides, 0, NULL, 0, KEY_WRITE,
                                NULL, &key, NULL);
    check(made == ERROR_SUCCESS, "making %ls: error %ld", kDrvplantOverrides, made);
    for (size_t i = 0; made == ERROR_SUCCESS && i < nameCount; i++)
        RegSetValueExW(key, names[i], 0, REG_SZ, (const BYTE *)setting,
                       (DWORD)(wcslen(setting) + 1) * sizeof(wchar_t));
    RegCloseKey(key);
    RunCases(cases, count);
    RegDeleteKeyW(HKEY_CURRENT_USER, kDrvplantOverrides);
}

// Names of system DLLs that are not KnownDLLs, or that the system's own DLLs load.
static const wchar_t *const kPlantedNames[] = {
    L"newdev", L"version", L"uxtheme", L"comctl32", L"cfgmgr32", L"wintrust", L"setupapi",
    L"user32", L"devobj", L"imm32", L"dwmapi", L"winmm", L"msimg32", L"crypt32", L"userenv",
    L"profapi", L"dbghelp", L"shlwapi", L"gdi32", L"advapi32",
};

#define PLANTED L"C:\\planted\\drvplant.exe"

// A DLL that leaves a mark when loaded, beside the exe under each name, and Wine told to
// prefer such native copies from the program's folder, as Windows does.
static void PlantedDllCases(const std::wstring &drvplant, const std::wstring &mark)
{
    CreateDirectoryW(L"C:\\planted", NULL);
    WriteFileBytes(L"C:\\planted\\test.inf", kInf);
    check(CopyFileW(L"C:\\suite\\bad.inf", L"C:\\planted\\bad.inf", FALSE) &&
              CopyFileW(drvplant.c_str(), PLANTED, FALSE),
          "copying: error %lu", GetLastError());
    for (const wchar_t *name : kPlantedNames) {
        std::wstring planted = std::wstring(L"C:\\planted\\") + name + L".dll";
        check(CopyFileW(mark.c_str(), planted.c_str(), FALSE), "planting %ls: error %lu",
              planted.c_str(), GetLastError());
    }
    const Case cases[] = {
        {"planted DLLs: usage", PLANTED, PLANTED, L"C:\\planted", NULL, kUsage, 2, kNothing,
         kOutputToFile},
        {"planted DLLs: forced", PLANTED, PLANTED L" test.inf ROOT\\DRVPLANT_TEST",
         L"C:\\planted", "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
        {"planted DLLs: pre-installed", PLANTED, PLANTED L" test.inf ROOT\\DRVPLANT_ABSENT",
         L"C:\\planted", "ROOT\\DRVPLANT_ABSENT", kWalkedAll, 0, kPreinstalled, kOutputToFile},
        {"planted DLLs: failed pre-installation", PLANTED,
         PLANTED L" bad.inf ROOT\\DRVPLANT_ABSENT", L"C:\\planted", "ROOT\\DRVPLANT_ABSENT",
         kWalkedAllThenBox, 2, kBox, kOutputToFile},
    };
    RunCasesWithOverrides(kPlantedNames, sizeof kPlantedNames / sizeof kPlantedNames[0],
                          L"native,builtin", cases, sizeof cases / sizeof cases[0]);
}

// The failure line for label and code with the system's own text, as text mode writes it
// (each line feed, the text's own included, goes out as CR LF).
static std::string FailureLine(const char *label, DWORD code)
{
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
    check(text != NULL, "no system text for error %lu", code);
    std::string line = std::string(label) + " FAILURE: ";
    for (const char *at = text ? text : ""; *at != '\0'; at++)
        line += *at == '\n' ? std::string("\r\n") : std::string(1, *at);
    LocalFree(text);
    return line + "\r\n";
}

// A system DLL that cannot be loaded: its operations fail with the loader's code.
static void UnloadableDllCases(void)
{
    std::string updateFails = FailureLine("UpdateDriverForPlugAndPlayDevices", ERROR_MOD_NOT_FOUND);
    std::string noDevices = FailureLine("GetClassDevs(All Present Devices)", ERROR_MOD_NOT_FOUND);
    const Case withoutNewdev[] = {
        {"newdev cannot be loaded: forced update fails", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", "ROOT\\DRVPLANT_TEST",
         updateFails.c_str(), 2, kNothing, kOutputToFile},
    };
    static const wchar_t *const newdev[] = {L"newdev"}, *const setupapi[] = {L"setupapi"};
    RunCasesWithOverrides(newdev, 1, L"", withoutNewdev, 1);
    const Case withoutSetupapi[] = {
        {"setupapi cannot be loaded: reported, then the box", DRVPLANT,
         DRVPLANT L" test.inf ROOT\\DRVPLANT_TEST", L"C:\\suite", NULL, noDevices.c_str(), 2,
         kBox, kOutputToFile},
    };
    RunCasesWithOverrides(setupapi, 1, L"", withoutSetupapi, 1);
}

static const wchar_t kEnglishTitle[] = L"Found New Hardware Wizard";
static const wchar_t kChineseTitle[] = L"\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC";

struct WizardCase {
    const char *name;
    bool english, chinese;               // which titles are open
    bool englishClosed, chineseClosed;   // which ones drvplant must have closed
};

// The wizard goes before the arguments are looked at, so a bare run is enough.
static void RunWizardCases(const WizardCase *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const WizardCase &c = cases[i];
        Wizard *english = c.english ? OpenWizard(kEnglishTitle) : NULL;
        Wizard *chinese = c.chinese ? OpenWizard(kChineseTitle) : NULL;
        Outcome run = RunExact(DRVPLANT, DRVPLANT, L"C:\\suite", kOutputToFile);
        std::string what = "wizard case " + std::to_string(i) + " (" + c.name + "): output";
        check_bytes(kUsage, run.out, what.c_str());
        check(run.status == 2, "wizard case %u (%s): status %lu", (unsigned)i, c.name, run.status);
        if (english)
            check(CloseWizard(english) == c.englishClosed, "wizard case %u (%s): English window",
                  (unsigned)i, c.name);
        if (chinese)
            check(CloseWizard(chinese) == c.chineseClosed, "wizard case %u (%s): Chinese window",
                  (unsigned)i, c.name);
    }
}

static void EnglishWizardCases(void)
{
    const WizardCase cases[] = {
        {"English wizard open", true, false, true, false},
        {"no wizard open", false, false, false, false},
    };
    RunWizardCases(cases, sizeof cases / sizeof cases[0]);
}

static void ChineseWizardCases(void)
{
    const WizardCase cases[] = {
        {"Chinese wizard open", false, true, false, true},
        {"both open: only the English one", true, true, true, false},
    };
    RunWizardCases(cases, sizeof cases / sizeof cases[0]);
}

// Under code page 932 the name's second byte is 0x5C; it must not split the path.
static void JapaneseCases(const std::wstring &drvplant)
{
    static const wchar_t kProgram[] = L"C:\\dbcs\\\u8868.exe";
    CreateDirectoryW(L"C:\\dbcs", NULL);
    WriteFileBytes(L"C:\\dbcs\\test.inf", kInf);
    check(CopyFileW(drvplant.c_str(), kProgram, FALSE), "copying: error %lu", GetLastError());
    const Case cases[] = {
        {"a trail byte 0x5C is no separator", kProgram,
         L"C:\\dbcs\\\u8868.exe test.inf ROOT\\DRVPLANT_TEST", L"C:\\elsewhere",
         "ROOT\\DRVPLANT_TEST", kInstalled, 0, kForced, kOutputToFile},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3) {
        printf("usage: suite <drvplant.exe> english|chinese|japanese\n");
        return 2;
    }
    std::wstring drvplant = argv[1], group = argv[2];
    wchar_t suite[MAX_PATH];
    GetModuleFileNameW(NULL, suite, MAX_PATH);
    std::wstring mark = suite;
    mark = mark.substr(0, mark.rfind(L'\\') + 1) + L"mark.dll";
    PrepareFiles();
    PrepareDevices();
    if (group == L"english") {
        EnglishCases(drvplant);
        EnglishWizardCases();
        HiddenStationCases();
        PlantedDllCases(drvplant, mark);
        UnloadableDllCases();
    } else if (group == L"chinese") {
        CopyFileW(drvplant.c_str(), DRVPLANT, FALSE);
        ChineseWizardCases();
    } else if (group == L"japanese") {
        JapaneseCases(drvplant);
    }
    std::string name(group.begin(), group.end());
    return CheckSummary(name.c_str());
}
