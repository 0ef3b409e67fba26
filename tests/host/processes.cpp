// KERNEL32's models of machines and processes: which machine Windows and the exe are,
// the exe's own path and command line, starting a process and waiting for it.
#include "rooms.h"

#include <algorithm>

static HANDLE const kCurrentProcess = (HANDLE)(intptr_t)-1;
static HANDLE const kStartedProcess = (HANDLE)0x9c0c, kStartedThread = (HANDLE)0x7add;

bool RunsEmulated(void)
{
    return world->exeMachine != world->nativeMachine;
}

USHORT OwnMachine(void)
{
    return (USHORT)world->exeMachine;
}

HANDLE GetCurrentProcess(void)
{
    return kCurrentProcess;
}

// Each element quoted where it holds a blank, as a caller writes it.
LPWSTR GetCommandLineW(void)
{
    if (world->commandLine.empty())
        for (size_t i = 0; i < world->args.size(); i++) {
            std::u16string arg = i < world->wideArgs.size() ? world->wideArgs[i] : Widened(world->args[i]);
            bool quoted = arg.find(u' ') != std::u16string::npos;
            world->commandLine += (i ? u" " : u"") + (quoted ? u"\"" + arg + u"\"" : arg);
        }
    return &world->commandLine[0];
}

HANDLE GetStdHandle(DWORD which)
{
    return (HANDLE)(uintptr_t)(0x5d00 - (int)which);
}

DWORD WaitForSingleObject(HANDLE object, DWORD)
{
    return world->processHandles.count(object) != 0 ? 0 : (DWORD)(Fail(ERROR_INVALID_HANDLE), 0xFFFFFFFF);
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD status)
{
    if (process != kStartedProcess || world->processHandles.count(process) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    *status = world->startedStatus;
    return TRUE;
}

bool CloseProcessHandle(HANDLE object)
{
    return world->processHandles.erase(object) != 0;
}

namespace model {

// The SDK: the process machine is IMAGE_FILE_MACHINE_UNKNOWN unless the process is WOW64;
// an x64 process emulated on ARM64 is not.
BOOL IsWow64Process2(HANDLE process, USHORT *processMachine, USHORT *nativeMachine)
{
    if (process != kCurrentProcess || processMachine == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    bool wow64 = RunsEmulated() && world->exeMachine == IMAGE_FILE_MACHINE_I386;
    *processMachine = (USHORT)(wow64 ? world->exeMachine : IMAGE_FILE_MACHINE_UNKNOWN);
    if (nativeMachine != NULL)
        *nativeMachine = (USHORT)world->nativeMachine;
    return TRUE;
}

// The SDK: TRUE for a 32-bit process on x64 Windows, FALSE on 32-bit Windows and for a
// 32-bit one on ARM64.
BOOL IsWow64Process(HANDLE process, PBOOL wow64)
{
    if (process != kCurrentProcess || wow64 == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    *wow64 = world->exeMachine == IMAGE_FILE_MACHINE_I386 && world->nativeMachine == IMAGE_FILE_MACHINE_AMD64;
    return TRUE;
}

// The SDK: an emulated process on ARM64 is told of the machine it emulates (x64 on
// Windows 11, which emulates both).
void GetNativeSystemInfo(LPSYSTEM_INFO system)
{
    DWORD machine = world->nativeMachine == IMAGE_FILE_MACHINE_ARM64 && RunsEmulated() ? IMAGE_FILE_MACHINE_AMD64
                                                                                         : world->nativeMachine;
    *system = {};
    system->wProcessorArchitecture = (WORD)(machine == IMAGE_FILE_MACHINE_AMD64   ? PROCESSOR_ARCHITECTURE_AMD64
                                            : machine == IMAGE_FILE_MACHINE_ARM64 ? PROCESSOR_ARCHITECTURE_ARM64
                                                                                  : PROCESSOR_ARCHITECTURE_INTEL);
}

// The SDK: a path that does not fit is cut short and terminated, the size returned and
// ERROR_INSUFFICIENT_BUFFER left.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size)
{
    if (module != NULL)
        return Unmodelled("GetModuleFileNameW of another module"), 0;
    const std::u16string &own = world->imagePath;
    lstrcpynW(path, own.c_str(), (int)size);
    if (own.size() >= size)
        return Fail(ERROR_INSUFFICIENT_BUFFER), size;
    return (DWORD)own.size();
}

// The SDK: the application name is not searched for (a partial one is completed from the
// current folder); with STARTF_USESTDHANDLES the handles reach the child only when
// handles are inherited. An image is a file that starts "MZ".
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR currentFolder,
                    LPSTARTUPINFOW startup, LPPROCESS_INFORMATION process)
{
    if (application == NULL || startup == NULL || process == NULL || startup->cb != sizeof *startup)
        return Unmodelled("CreateProcessW without an application, start-up or process record"), FALSE;
    if (flags != 0)
        return Unmodelled("CreateProcessW with creation flags"), FALSE;
    std::u16string path = FullPath(application), folder = path.substr(0, path.rfind(u'\\') + 1);
    auto file = world->files.find(path);
    if (file == world->files.end()) {
        bool folderThere = std::any_of(world->files.begin(), world->files.end(),
                                       [&](const auto &f) { return f.first.compare(0, folder.size(), folder) == 0; });
        return Fail(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    if (file->second.compare(0, 2, "MZ") != 0)
        return Fail(ERROR_BAD_EXE_FORMAT);
    world->started.push_back({path, commandLine ? commandLine : u"", inheritHandles != FALSE, environment != NULL,
                              currentFolder != NULL, startup->dwFlags,
                              {startup->hStdInput, startup->hStdOutput, startup->hStdError}});
    process->hProcess = kStartedProcess;
    process->hThread = kStartedThread;
    world->processHandles.insert({kStartedProcess, kStartedThread});
    return TRUE;
}

// CP_ACP: the stand-in's ANSI code page holds ASCII; any other unit becomes its default
// character.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR bytes, int size, LPCSTR,
                        LPBOOL)
{
    if (codePage != CP_ACP || flags != 0 || wideLength != -1)
        return Unmodelled("WideCharToMultiByte other than a terminated string to CP_ACP"), 0;
    int length = lstrlenW(wide) + 1;
    if (size < length)
        return Fail(ERROR_INSUFFICIENT_BUFFER), 0;
    for (int i = 0; i < length; i++)
        bytes[i] = wide[i] < 0x80 ? (char)wide[i] : '?';
    return length;
}

} // namespace model
