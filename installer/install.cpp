#include "installer/installer.h"

static const char kUsage[] = "usage: drvplant <INF_File> <Hardware_ID>\n";
static const char kInstallFailed[] = "Error-Install Driver Failed!";
// In UTF-16: a system that shows Chinese need not have code page 936 as its ANSI one.
static const WCHAR kWizardTitle[] = WIDE("Found New Hardware Wizard");
static const WCHAR kWizardTitleChinese[] =
    WIDE("\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC");

// A wizard that answers at all closes within milliseconds. Windows calls a window hung
// after five seconds without reading its messages, and then the call returns at once; a
// wizard that has only just stopped answering costs us this long, and no more.
static const UINT kWizardPatience = 3000;

// The wizard would offer to install a driver of its own for the device we are about to
// serve; at most one window is closed, the English one first. A hung wizard is left as
// it is: the install does not need it gone, and the caller must not wait for ever.
static void DismissWizard(void)
{
    HWND wizard = FindWindowW(NULL, kWizardTitle);
    if (wizard == NULL)
        wizard = FindWindowW(NULL, kWizardTitleChinese);
    if (wizard != NULL)
        SendMessageTimeoutA(wizard, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWizardPatience, NULL);
}

// Anything the path matches will do: a directory, or a wildcard pattern.
static BOOL PathNamesSomething(const WCHAR *path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);
    return TRUE;
}

// Deployment agents run us as SYSTEM on a window station that nobody sees; a box there
// would wait for ever. When the question cannot be answered, a person may be there.
static BOOL BoxCanBeSeen(void)
{
    BOOL visible = TRUE;
    USEROBJECTFLAGS flags;
    HWINSTA station = GetProcessWindowStation();
    if (station != NULL &&
        GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, NULL))
        visible = (flags.dwFlags & WSF_VISIBLE) != 0;
    return visible;
}

BOOL ForceDriver(const InstallRun &run, BOOL *rebootRequired)
{
    if (UpdateDriverForPlugAndPlayDevicesW(NULL, run.wideId, run.infPath, run.updateFlags, rebootRequired))
        return TRUE;
    return ReportFailure(kForceLabel);
}

// drvplant's answer to an absent device: the INF among the OEM INFs, for the device to find
// when it is plugged in later.
static int PreInstall(const InstallRun &run)
{
    if (SetupCopyOEMInfW(run.infPath, NULL, SPOST_PATH, 0, NULL, 0, NULL, NULL))
        return kInstalled;
    if (run.seen) {
        // The caller's log should hold the lines while the box waits for a person.
        FlushOutput();
        MessageBoxA(NULL, kInstallFailed, "Warning", MB_OK);
    } else {
        PrintKeepingLastError("%s\n", kInstallFailed);
    }
    return kFailed;
}

static int Install(InstallRun &run, AbsentDevice *absent)
{
    int status;
    BOOL rebootRequired = FALSE;
    run.seen = BoxCanBeSeen();
    run.updateFlags = INSTALLFLAG_FORCE;
    // Nor can anybody answer Windows' own prompts there (an untrusted publisher's, say):
    // they must fail the run rather than hold it. A person who sees the run may answer.
    if (!run.seen) {
        SetupSetNonInteractiveMode(TRUE);
        run.updateFlags |= INSTALLFLAG_NONINTERACTIVE;
    }
    if (!FindPresentDevice(run.hardwareId, &run.searchedAll))
        status = absent(run);
    else if (ForceDriver(run, &rebootRequired))
        status = ForcedDevicesStatus(run.hardwareId, rebootRequired ? kInstalledRestartNeeded : kInstalled);
    else
        status = kFailed;
    if (status != kFailed)
        PrintKeepingLastError("Driver Installed successfully.\n");
    if (status == kInstalledRestartNeeded)
        PrintKeepingLastError("(Reboot Required)\n");
    return status;
}

int RunInstall(int count, char **args, WCHAR **wideArgs, const char *usage, AbsentDevice *absent)
{
    WCHAR infPath[kInfPathSize];
    int status = kFailed;
    if (HandToNativeExe(kFailed, &status))
        return status;
    DismissWizard();
    if (count != 3 || !ComposeInfPath(wideArgs[0], wideArgs[1], infPath)) {
        PrintKeepingLastError("%s", usage);
    } else if (!PathNamesSomething(infPath)) {
        PrintKeepingLastError("  File not found.\n");
        PrintKeepingLastError("%s", usage);
    } else {
        // hardwareId is what the search prints and compares; Windows is given the caller's
        // own characters, wideId.
        InstallRun run = {infPath, args[2], wideArgs[2], TRUE, FALSE, 0};
        status = Install(run, absent);
    }
    return status;
}

int InstallMain(int count, char **args, WCHAR **wideArgs)
{
    return RunInstall(count, args, wideArgs, kUsage, PreInstall);
}
