// Windows refuses to install a driver from a 32-bit process on 64-bit Windows, or from an
// emulated one (ERROR_IN_WOW64); Microsoft's answer is that such a process starts the
// native one. Setups are mostly 32-bit, so the x86 exe is the one they call everywhere.
#include "common/common.h"

// Each machine's folder in the release archive.
static const WCHAR *MachineFolder(DWORD machine)
{
    return machine == IMAGE_FILE_MACHINE_I386    ? WIDE("x86")
           : machine == IMAGE_FILE_MACHINE_AMD64 ? WIDE("x64")
           : machine == IMAGE_FILE_MACHINE_ARM64 ? WIDE("arm64")
                                                 : NULL;
}

// The machine Windows runs on natively, as far as this Windows can say.
static DWORD NativeMachine(void)
{
    USHORT process, native;
    BOOL wow64 = FALSE;
    SYSTEM_INFO system = {};
    // Only this one sees ARM64, and an x64 process emulated there.
    if (IsWow64Process2(GetCurrentProcess(), &process, &native))
        return native;
    // Before it, only WOW64 ran a process on another machine than its own, and only an
    // x86 one.
    if (OwnMachine() != IMAGE_FILE_MACHINE_I386 || !IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
        return OwnMachine();
    GetNativeSystemInfo(&system);
    return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? IMAGE_FILE_MACHINE_AMD64
           : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? IMAGE_FILE_MACHINE_ARM64
                                                                           : IMAGE_FILE_MACHINE_UNKNOWN;
}

// The native exe's path: this image's own (never element 0, which the caller chose) with
// its folder replaced by the native machine's. FALSE where this exe is native, where the
// path cannot be had, and where it names this very exe (a build put in the wrong folder
// must not start itself again and again).
static BOOL FindNativeExe(WCHAR *path)
{
    // Static, as the other buffers here: together they would need the stack probe, which
    // has no unwind data.
    static WCHAR own[kInfPathSize];
    int name = 0, folder = 0, separators = 0;
    DWORD machine = NativeMachine();
    const WCHAR *native = MachineFolder(machine);
    DWORD length = machine == OwnMachine() || native == NULL ? 0 : GetModuleFileNameW(NULL, own, kInfPathSize);
    // A path that filled the buffer may have been cut short.
    if (length == 0 || length >= kInfPathSize)
        return FALSE;
    for (int at = 0; own[at] != 0; at++)
        if (own[at] == '\\') {
            folder = name;
            name = at + 1;
            separators++;
        }
    if (separators < 2 || folder + lstrlenW(native) + 1 + lstrlenW(own + name) >= kInfPathSize)
        return FALSE;
    lstrcpynW(path, own, folder + 1);
    lstrcatW(path, native);
    lstrcatW(path, WIDE("\\"));
    lstrcatW(path, own + name);
    return !SameIgnoringCase(path, own);
}

// "<path> FAILURE: <system text>", the path in the ANSI code page as every line is.
static void ReportStartFailure(const WCHAR *path)
{
    static char label[2 * kInfPathSize];
    if (!WideCharToMultiByte(CP_ACP, 0, path, -1, label, sizeof label, NULL, NULL))
        label[0] = '\0';
    ReportFailure(label);
}

BOOL HandToNativeExe(int failed, int *status)
{
    WCHAR path[kInfPathSize];
    // An ARM64 exe only ever runs natively.
    if (OwnMachine() == IMAGE_FILE_MACHINE_ARM64 || !FindNativeExe(path))
        return FALSE;
    // The caller's own line, element 0 included, so that INF_File is still found beside
    // the element 0 it wrote. CreateProcessW may write into the line it is given; a line
    // holds at most 32767 units.
    static WCHAR line[32768];
    STARTUPINFOW startup = {};
    PROCESS_INFORMATION process;
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // By its full path, so nothing is searched for; the environment, current folder,
    // window station and desktop are this process's.
    BOOL started = CreateProcessW(path, lstrcpynW(line, GetCommandLineW(), 32768), NULL, NULL, TRUE, 0, NULL,
                                  NULL, &startup, &process);
    if (!started) {
        // Not shipped: this exe does the run, as it would with no native exe at all.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            ReportStartFailure(path);
        return FALSE;
    }
    DWORD code = (DWORD)failed;
    WaitForSingleObject(process.hProcess, INFINITE);
    if (!GetExitCodeProcess(process.hProcess, &code))
        code = (DWORD)failed;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    *status = (int)code;
    return TRUE;
}
