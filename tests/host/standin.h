// A stand-in for the Windows side of platform/: a small world that a test describes
// (devices, windows, files, texts, faults) and then reads back (output, calls made and
// how they ended, blocks and handles still held). Each operation of the table is a model
// of its documented contract behind one fault hook.
#pragma once

#include "platform/platform.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Every operation that the stand-in can make fail, by its Win32 name.
enum class Op {
#define AS_ENUM(library, ret, name, failed, params, args) name,
    PLATFORM_OPERATIONS(AS_ENUM)
#undef AS_ENUM
};
inline constexpr Op kAllOps[] = {
#define AS_OP(library, ret, name, failed, params, args) Op::name,
    PLATFORM_OPERATIONS(AS_OP)
#undef AS_OP
};
const char *OpName(Op op);
const char *OpLibrary(Op op);

// Makes the n-th call (1-based) of an operation fail with code; call 0 means every call.
struct Fault {
    Op op;
    unsigned call;
    DWORD code;
};

// Every operation of a system DLL failing as it does when the DLL cannot be loaded.
std::vector<Fault> LibraryMissing(const char *library);

struct Device {
    bool hasIds;
    std::string ids; // the property bytes exactly as the platform delivers them
    // The size the platform reports, when it disagrees with the bytes it delivers.
    std::optional<DWORD> claimedSize = std::nullopt;
    bool present = true;
    std::u16string infPath = u""; // the published copy its driver came from, if any
    bool removed = false;          // by DIF_REMOVE
    // What the configuration manager answers of it: DN_* flags and, with DN_HAS_PROBLEM,
    // the problem's number (the Code that Device Manager shows).
    ULONG status = DN_DRIVER_LOADED | DN_STARTED, problem = 0;
    std::string instanceId = ""; // ROOT\UNKNOWN\<its index> when empty
    // Made by the run: an element of a created set, a device of the world only once
    // registered (DIF_REGISTERDEVICE).
    bool made = false, registered = true;
};

struct Box {
    std::string text, caption;
    UINT type;
    std::string outputDelivered; // what a redirected output held while the box waited
};

// One operation call as a program made it and as it ended.
struct Call {
    Op op;
    size_t outAt;     // how much output there was when it was called
    DWORD lastError;  // the last error it found (for printf, what a report line claims)
    bool faulted;     // a Fault made it fail
    bool succeeded;   // it returned something other than its failure value (not read for
                      // the registry's operations, which return their code instead)
};

struct Update {
    std::u16string hardwareId, infPath;
    DWORD flags;
};

// A process that the run started, as it was asked for.
struct Started {
    std::u16string application, commandLine;
    bool inheritHandles, ownEnvironment, ownFolder; // the last two: asked for others than ours
    DWORD startupFlags;
    HANDLE standardHandles[3]; // input, output, error
};

// Where Windows keeps the OEM INFs that it publishes.
inline const std::u16string kInfFolder = u"C:\\Windows\\inf\\";

struct World {
    // As IMAGE_FILE_MACHINE_*: the exe's own build, and the machine Windows runs on.
    DWORD exeMachine = IMAGE_FILE_MACHINE_I386, nativeMachine = IMAGE_FILE_MACHINE_I386;
    std::u16string imagePath = u"C:\\tools\\drvplant.exe"; // the running exe, as the loader has it
    std::u16string commandLine; // as the process received it; when empty, args joined
    DWORD startedStatus = 0;    // what a process that the run starts ends with
    std::vector<std::string> args; // as the ANSI conversion gives them
    // As the command line holds them; when empty, args with each byte taken as a character.
    std::vector<std::u16string> wideArgs;
    std::vector<Device> devices;
    std::vector<std::u16string> windows; // titles of open top-level windows
    std::set<std::u16string> hung;       // titles of those whose thread reads no messages
    std::map<std::u16string, std::string> files; // full path: bytes
    std::map<DWORD, std::string> texts = {
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
        {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\n"},
        {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
        {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
        {ERROR_NO_MORE_ITEMS, "No more data available.\r\n"},
        {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
        {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
        {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
        {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\n"},
    };
    std::set<unsigned char> leadBytes; // of the ANSI code page; empty for a single-byte one
    std::vector<Fault> faults;
    bool successKeepsLastError = false; // Wine's way; Windows' SetupAPI clears it
    BOOL rebootRequired = FALSE;        // what a driver update answers
    bool installsPending = false; // device installations that outlast any wait for them
    bool stationVisible = true; // false: a service's window station, which nobody sees
    std::u16string windowsFolder = u"C:\\Windows";
    std::u16string currentFolder = u"C:\\tools"; // the INF's, as a user who cds there has it
    bool publisherUntrusted = false;  // the INF's signer, whom Windows would ask about
    bool packageHeldBySystem = false; // DiUninstallDriverW's "still in use by system"
    // Windows 10 1703 and later: newdev has DiUninstallDriverW.
    bool driverUninstallKnown = false;
    bool removalNeedsRestart = false;         // what removing a device or package answers
    bool removedLeaveTheSet = false;          // Wine's DIF_REMOVE; Windows keeps the element
    std::map<std::u16string, std::u16string> originalNames; // published copy: its name before
    std::set<std::u16string> unreadable;      // paths that cannot be opened (access denied)
    // What files gain once a search has listed them, as when another process writes them.
    std::map<std::u16string, std::string> growOnceListed;
    // CharUpperA calls (1-based; 0: every one) that find nothing to change in their string.
    std::set<unsigned> upperCaseSkipped;

    DWORD lastError = 0;
    std::string out; // everything printed, CR LF as the text mode writes it
    size_t delivered = 0;
    std::vector<std::u16string> closed; // titles sent WM_CLOSE
    DWORD waited = 0;                   // milliseconds spent waiting on windows
    DWORD installWait = 0;              // on pending installations; INFINITE: for ever
    std::vector<std::u16string> searchedPaths;
    std::vector<Update> updates;       // made
    bool restartAsked = false;         // by an update that was made
    std::vector<std::u16string> copies; // sources placed among the OEM INFs
    std::vector<Box> boxes;
    std::vector<std::string> prompts; // Windows' own dialogs that a run brought up
    bool nonInteractive = false;      // SetupAPI's mode, as SetupSetNonInteractiveMode left it
    std::map<DWORD, DWORD> installFlags; // SetupDiSetDeviceInstallParamsW's, by device
    std::map<Op, unsigned> calls;
    std::vector<Call> journal;
    std::vector<std::string> unmodelled; // what a program asked for that this does not model
    std::set<void *> blocks; // allocated and not yet released
    int badFrees = 0;
    int openSets = 0;
    int openLists = 0; // created sets (SetupDiCreateDeviceInfoList)
    GUID listClass = {}; // the class the created set was made for
    int openSearches = 0;
    std::vector<size_t> setMembers; // devices of the open set, by index
    std::vector<std::u16string> found; // what the open file search has left to give
    std::map<HANDLE, std::pair<std::u16string, size_t>> openFiles; // path, offset
    std::map<HINF, std::u16string> openInfs;
    int openKeys = 0;
    std::map<DWORD, DWORD> removalScopes; // set by SetupDiSetClassInstallParamsW, by device
    std::map<std::u16string, std::string> deleted; // files that an operation removed: bytes
    std::vector<Started> started;
    std::set<HANDLE> processHandles; // open handles of started processes and their threads
    std::shared_ptr<const World> asStarted; // the world as the last run found it
};

// Each byte taken as the character of that number, as an ANSI program's argument read
// back in UTF-16 would be for the ASCII range.
std::u16string Widened(const std::string &bytes);

// The world the stand-in serves; tests set it before calling into the programs.
extern World *world;

// Runs a program's entry on world's command line; its exit status.
int RunProgram(ProgramMain *main);

std::set<unsigned char> CodePage932LeadBytes();
std::set<unsigned char> CodePage936LeadBytes();
