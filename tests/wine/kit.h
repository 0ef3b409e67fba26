// A small kit for driving the real drvplant.exe under Wine: exact command lines,
// present devices, wizard windows, the message box, and checks that name their line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Like Wine's ok(): counts, and on failure prints the caller's file and line.
void CheckAt(bool ok, const char *file, int line, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
#define check(ok, ...) CheckAt((ok), __FILE__, __LINE__, __VA_ARGS__)
// Compares two byte strings and shows both, escaped, when they differ.
void CheckBytesAt(const std::string &expected, const std::string &actual, const char *file,
                  int line, const char *what);
#define check_bytes(expected, actual, what) \
    CheckBytesAt((expected), (actual), __FILE__, __LINE__, (what))
int CheckSummary(const char *group);

enum StandardOutput { kOutputToFile, kOutputNone, kOutputToFullDisk };

struct Outcome {
    std::string out;       // every byte the program wrote, CR LF as written
    DWORD status;          // exit status
    bool boxShown;
    std::string boxText;
    std::string outAtBox;  // what had reached the output file when the box appeared
    DWORD milliseconds;    // from start to end
};

// Runs program with this exact command line (element 0 included) in directory, on
// desktop ("station\\desktop") or, when it is NULL, on the suite's own.
Outcome RunExact(const std::wstring &program, const std::wstring &commandLine,
                 const std::wstring &directory, StandardOutput output,
                 const wchar_t *desktop = NULL);

// A window station that nobody sees, as services and SYSTEM get, with a desktop "Default";
// returns the desktop's full name for RunExact.
const wchar_t *HiddenDesktop(void);

// Registers a root-enumerated device that then counts as present. hardwareIds is a
// multi-string; an empty one gives the device no hardware-ID property at all.
void CreatePresentDevice(const std::string &hardwareIds);
// Every hardware ID of every present device, in the order the system walks them.
std::vector<std::string> PresentHardwareIds();

// A top-level window with this title on a thread of its own, which records WM_CLOSE.
struct Wizard;
Wizard *OpenWizard(const std::wstring &title);
// Closes the window if it is still open; true when drvplant had sent it WM_CLOSE.
bool CloseWizard(Wizard *wizard);

void WriteFileBytes(const std::wstring &path, const std::string &bytes);
bool FileHasBytes(const std::wstring &path, const std::string &bytes);
