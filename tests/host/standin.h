// A stand-in for the Windows side of platform/: a small world that a test describes
// (devices, windows, files, texts, faults) and then reads back (output, calls made,
// blocks and handles still held).
#pragma once

#include "platform/platform.h"
#include "platform/operations.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Every operation that the stand-in can make fail, by its Win32 name.
enum class Op {
#define AS_ENUM(library, name) name,
    PLATFORM_OPERATIONS(AS_ENUM)
#undef AS_ENUM
};
inline constexpr Op kAllOps[] = {
#define AS_OP(library, name) Op::name,
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
};

struct Box {
    std::string text, caption;
    UINT type;
    std::string outputDelivered; // what a redirected output held while the box waited
};

// One operation call as the installer made it, for tests that fault a run at each point.
struct Call {
    Op op;
    size_t outAt;    // how much output there was when it was called
    size_t device;   // the device index it was about, where one applies
    DWORD lastError; // the last error it found (for Print, what a report line claims)
};

struct Update {
    std::u16string hardwareId, infPath;
    DWORD flags;
};

struct World {
    std::vector<std::string> args; // as the ANSI conversion gives them
    // As the command line holds them; when empty, args with each byte taken as a character.
    std::vector<std::u16string> wideArgs;
    std::vector<Device> devices;
    std::vector<std::string> windows; // titles of open top-level windows, as ANSI bytes
    std::set<std::u16string> files;   // paths that the file search matches exactly
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
    };
    std::set<unsigned char> leadBytes; // of the ANSI code page; empty for a single-byte one
    std::vector<Fault> faults;
    bool successKeepsLastError = false; // Wine's way; Windows' SetupAPI clears it
    BOOL rebootRequired = FALSE;
    bool stationVisible = true; // false: a service's window station, which nobody sees

    DWORD lastError = 0;
    std::string out; // everything printed, CR LF as the text mode writes it
    size_t delivered = 0;
    std::vector<std::string> closed; // titles sent WM_CLOSE
    std::vector<std::u16string> searchedPaths;
    std::vector<Update> updates;
    std::vector<std::u16string> copies;
    std::vector<Box> boxes;
    std::map<Op, unsigned> calls;
    std::vector<Call> journal;
    std::set<void *> blocks; // allocated and not yet released
    int badFrees = 0;
    int openSets = 0;
    int openSearches = 0;
    std::vector<char *> argv; // storage behind ArgumentVector()
    std::vector<std::u16string> wideStorage;
    std::vector<WCHAR *> wideArgv;
};

// Each byte taken as the character of that number, as an ANSI program's argument read
// back in UTF-16 would be for the ASCII range.
std::u16string Widened(const std::string &bytes);

// The world the stand-in serves; tests set it before calling into installer/.
extern World *world;

std::set<unsigned char> CodePage932LeadBytes();
std::set<unsigned char> CodePage936LeadBytes();
