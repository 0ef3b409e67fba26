// A kit for driving drvplant.exe and drvremove.exe under Wine: checks and groups (checks.c,
// gaps.c), devices, wizards, runs and the suite's fixture (fixture.c). Plain C on msvcrt alone,
// never handed a va_list (some Wine builds read one wrongly). A helper that checks reports its
// caller's line, as Wine's ok_(file, line) does.
#pragma once

#include <windows.h>
#include <stdio.h>

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))
#define AT __FILE__, __LINE__
#define WHERE const char *file, int line

// Counts, and on failure prints file, line and the case that runs, then the message.
int CheckCounted(int ok, WHERE);
#define check_at(file, line, ok, ...)                                                    \
    (CheckCounted((ok) != 0, (file), (line)) ? (void)0                                   \
                                             : (void)(printf(__VA_ARGS__), printf("\n")))
#define check(ok, ...) check_at(__FILE__, __LINE__, ok, __VA_ARGS__)
// Compares two byte strings and shows both, escaped, when they differ.
void CheckBytesAt(const char *expected, const char *actual, const char *what, WHERE);
#define check_bytes(expected, actual, what) CheckBytesAt((expected), (actual), (what), AT)

// What a Wine cannot show, marked on the one check that differs as with todo_wine:
// `todo_gap(gap) check(...);`. Under a Wine that the gap table (gaps.c) names for gap the
// check must fail, and counts as known; passing, it fails the run (the gap has closed).
// Elsewhere it is an ordinary check. A case that met a gap prints "gap", never "ok".
enum Gap { kNoGap, kGapRemovingPublishedCopy, kGapDeviceStatus, kGapOriginalInfName };
int BeginGap(enum Gap gap);
int EndGap(void);
#define todo_gap(gap) for (int gapOpen = BeginGap(gap); gapOpen; gapOpen = EndGap())
// The running Wine's version ("8.0"), and whether it has gap, with what and why.
const char *WineVersion(void);
int FindGap(enum Gap gap, const char **what, const char **why);

// `program <group> <exe> <case> <cases>`, as run.sh starts a group of groups.list: runs the
// group with the exe, only the cases whose name contains case; then prints the counts, and
// fails unless the cases that ran are <cases>, those of groups.list that case picks.
// `in_case(name) statement;` runs a case, which prints "ok", "gap" or "FAIL" when it ends.
typedef struct { const char *name; void (*run)(const wchar_t *exe); } Group;
int RunGroup(int argc, char **argv, const Group *groups, size_t count);
int BeginCase(const char *name);
int EndCase(void);
#define in_case(name) for (int caseOpen = BeginCase(name); caseOpen; caseOpen = EndCase())
int CheckSummary(const char *group);

// Text that grows: what a program printed, or what a case expects.
typedef struct {
    char bytes[65536];
    size_t length;
} Text;
void TextClear(Text *text);
void TextAppend(Text *text, const char *bytes);

enum StandardOutput { kOutputToFile, kOutputNone, kOutputToFullDisk };
typedef struct {
    Text out; // every byte the program wrote, CR LF as written
    DWORD status; // exit status
    int boxShown;
    char boxText[256];
    Text outAtBox; // what had reached the output file when the box appeared
    DWORD milliseconds; // from start to end
} RunOutcome;

// Registers a root-enumerated device that then counts as present. hardwareIds is a
// multi-string of size bytes; size 0 gives the device no hardware-ID property at all.
void CreatePresentDeviceAt(const char *hardwareIds, size_t size, WHERE);
#define CreatePresentDevice(...) CreatePresentDeviceAt(__VA_ARGS__, AT)
// Every hardware ID of every present device in the order the system walks them, each
// ending with a NUL and the list with one more.
const char *PresentHardwareIds(void);
// What the configuration manager says of the first present device with hardwareId: its
// DN_* flags, 0 where none has it. Windows sets some for every present device.
ULONG DeviceStatus(const char *hardwareId);
// Appends "Found <instance ID>" for each root-enumerated device, present or not, whose
// driver came from the published copy name, last one first, as drvremove /list names them.
void AppendRootDevicesOf(const char *name, Text *listing);
// Appends the search's lines for searchId: its line, then one for each hardware ID that the
// prefix holds in walk order, up to walkEnd (every one without it).
void ExpectSearch(Text *lines, const char *searchId, const char *walkEnd);
// The present devices with hardwareId: how many; the first one's instance ID in id (size
// bytes, empty where none has it); and, by DIF_REMOVE, none of them any more.
int CountPresent(const char *hardwareId);
const char *InstanceIdOf(const char *hardwareId, char *id, DWORD size);
void RemoveDevices(const char *hardwareId);

// A window with this title on a thread of its own, which HangWizard stops reading messages
// until CloseWizard; CloseWizard tells whether drvplant had sent it WM_CLOSE.
typedef struct Wizard Wizard;
Wizard *OpenWizardAt(const wchar_t *title, WHERE);
#define OpenWizard(title) OpenWizardAt((title), AT)
void HangWizard(Wizard *wizard);
int CloseWizard(Wizard *wizard);

// The suite's fixture (fixture.c), which drvplant's and drvremove's cases share. RunExact
// runs program with this exact command line (element 0 included) in directory, on desktop
// ("station\desktop") or, when it is NULL, on the suite's own.
void RunExactAt(const wchar_t *program, const wchar_t *commandLine, const wchar_t *directory,
                enum StandardOutput output, const wchar_t *desktop, RunOutcome *run, WHERE);
#define RunExact(...) RunExactAt(__VA_ARGS__, AT)

#define SUITE L"C:\\suite"
#define DRVPLANT SUITE L"\\drvplant.exe"
#define CYRILLIC L"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup"
#define CHINESE L"C:\\\u5B89\u88C5"
#define DEVANAGARI L"C:\\\u0938\u0947\u091F\u0905\u092A\\drv"
// Best fit reads it as C:\Lukasz\s, a folder that any user may make.
#define LOOK_ALIKE L"C:\\\u0141ukasz\\s"
#define PLANTED L"C:\\planted"
#define PLANTED_OLD L"C:\\planted-old"
#define JAPANESE L"C:\\dbcs\\\u8868.exe"
// Where SetupCopyOEMInfW publishes copies.
#define INF_FOLDER_PATH L"C:\\windows\\inf"

// The suite's INF, and the same INF with another registry key: one that somebody else
// placed. drvplant.exe, drvremove.exe, test.inf and bad.inf (no INF at all) sit in each
// folder above, but for drvplant.exe as JAPANESE, alone.
extern const char kInfBytes[], kDecoyInfBytes[];
#define INSTALL_KEY "Software\\drvplant-suite" // below HKLM, as kInfBytes installs
// Names of system DLLs planted beside the exes; each leaves a mark in C:\marks if loaded.
extern const wchar_t *const kPlantedNames[];

// Places the files, with drvremove.exe and drvplant_old_loader.exe taken from beside
// drvplant, and makes the suite's devices present unless they are.
void PrepareSuiteAt(const wchar_t *drvplant, WHERE);
#define PrepareSuite(drvplant) PrepareSuiteAt((drvplant), AT)

// The file started, its exact command line, the current folder; left out: DRVPLANT, the
// program alone, SUITE.
typedef struct { const wchar_t *program, *commandLine, *directory; } Start;
// folder\exe, by its quoted full path, from folder.
#define START(folder, exe, arguments) \
    {folder L"\\" exe, L"\"" folder L"\\" exe L"\" " arguments, folder}
void RunStartAt(Start start, enum StandardOutput output, int hidden, RunOutcome *run, WHERE);
#define RunStart(...) RunStartAt(__VA_ARGS__, AT)

// Takes away drvplant's forced install (its registry key), its copy under its own name,
// every published copy of the suite's INF, and Wine 10's driver packages of it.
void ForgetInstallsAt(WHERE);
#define ForgetInstalls() ForgetInstallsAt(AT)
int FindPublishedCopy(wchar_t *name); // oemN.inf, or 0
int DevicePresent(const char *hardwareId);
// A case starts with no marks of planted DLLs and Wine's load order for both exes set to
// setting ("native,builtin", or "" for not at all) for each of names (NULL: none); it ends
// with the load order taken away and a check that no planted DLL was loaded.
void SetUpCaseAt(const wchar_t *const *names, const wchar_t *setting, WHERE);
#define SetUpCase(...) SetUpCaseAt(__VA_ARGS__, AT)
void TearDownCaseAt(WHERE);
#define TearDownCase() TearDownCaseAt(AT)

// The release archive's layout: x86\ holds the build's exes, x64\ the x64 build's (from
// its build folder beside this build's), test.inf sits above both. RECORDED has the
// recorder in x64\'s places, ALONE x86\ alone.
#define ARCHIVE L"C:\\archive"
#define RECORDED L"C:\\recorded"
#define ALONE L"C:\\alone"
void PrepareArchiveAt(const wchar_t *drvplant, WHERE);
#define PrepareArchive(drvplant) PrepareArchiveAt((drvplant), AT)
// Whether the suite, an x86 program as the x86 exes are, runs on 64-bit Windows (WOW64).
int RunsAsWow64(void);
// Whether the suite's INF was installed into the registry view of view (KEY_WOW64_32KEY
// or KEY_WOW64_64KEY): a 32-bit process writes the one, a 64-bit process the other.
int InstalledInView(REGSAM view);
// The recorder, where it runs, writes what it was handed to RECORD_TO and ends with status.
// EndRecording checks that it was handed commandLine in directory (where the suite runs
// as WOW64, so the x86 exe hands over) or that it never ran (on 32-bit Windows).
void BeginRecording(const wchar_t *status);
void EndRecordingAt(const wchar_t *commandLine, const wchar_t *directory, WHERE);
#define EndRecording(...) EndRecordingAt(__VA_ARGS__, AT)

void WriteFileBytesAt(const wchar_t *path, const char *bytes, WHERE);
#define WriteFileBytes(...) WriteFileBytesAt(__VA_ARGS__, AT)
int FileHasBytes(const wchar_t *path, const char *bytes);
// folder\name, in a buffer that the next call takes again.
const wchar_t *Beside(const wchar_t *folder, const wchar_t *name);
