/* A small kit for driving the real drvplant.exe and drvremove.exe under Wine: checks that
 * name their caller's line and case, named cases and groups, and gaps (checks.c, gaps.c);
 * exact command lines, the message box and window stations (runs.c); present devices
 * (devices.c); wizard windows (wizards.c). Plain C on the system's C runtime alone, so that
 * any Windows toolchain builds it. Nothing here hands the C runtime a va_list: some Wine
 * builds read one wrongly. A helper that checks takes its caller's file and line, as
 * Wine's ok_(file, line) does, through a macro of its name. */
#pragma once

#include <windows.h>
#include <stdio.h>

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))

/* Counts, and on failure prints file, line and the case that runs, then the message. */
int CheckCounted(int ok, const char *file, int line);
#define check_at(file, line, ok, ...)                                                    \
    (CheckCounted((ok) != 0, (file), (line)) ? (void)0                                   \
                                             : (void)(printf(__VA_ARGS__), printf("\n")))
#define check(ok, ...) check_at(__FILE__, __LINE__, ok, __VA_ARGS__)
/* Compares two byte strings and shows both, escaped, when they differ. */
void CheckBytesAt(const char *expected, const char *actual, const char *file, int line,
                  const char *what);
#define check_bytes(expected, actual, what) \
    CheckBytesAt((expected), (actual), __FILE__, __LINE__, (what))

/* What a Wine cannot show, marked on the one check that differs, as Wine's own tests mark
 * one todo_wine: `todo_gap(gap) check(...);`. Under every Wine that the gap table (gaps.c)
 * names for gap the check must fail, and is counted as known; passing, it fails the run,
 * since the gap has closed and the table must say so. Under other Wines, and for kNoGap,
 * it is an ordinary check. A case that met a gap prints "gap", what cannot be shown and
 * why, never "ok". */
enum Gap { kNoGap, kGapRemovingPublishedCopy };
int BeginGap(enum Gap gap);
int EndGap(void);
#define todo_gap(gap) for (int gapOpen = BeginGap(gap); gapOpen; gapOpen = EndGap())
/* The running Wine's version ("8.0"), and whether it has gap, with what and why. */
const char *WineVersion(void);
int FindGap(enum Gap gap, const char **what, const char **why);

/* A program's groups: `program <group> <exe> <case>`, as run.sh starts each group of
 * groups.h, runs the group named with the exe ("" for none) and, when case is not empty,
 * only the cases whose name contains it. Each case prints "ok", "gap" or "FAIL" with
 * group/name when it ends; the group ends with its counts, and fails when the cases that
 * ran are not those that groups.h lists for it and the filter. */
typedef struct {
    const char *name;
    void (*run)(const wchar_t *exe);
} Group;
int RunGroup(int argc, char **argv, const Group *groups, size_t count);
int BeginCase(const char *name);
void EndCase(void);
/* Prints the count of checks and failures; 0 when none failed. */
int CheckSummary(const char *group);

/* Text that grows: what a program printed, or what a case expects. */
typedef struct {
    char bytes[65536];
    size_t length;
} Text;
void TextClear(Text *text);
void TextAppend(Text *text, const char *bytes);
/* The file's bytes, or none when it cannot be read. */
void ReadFileText(const wchar_t *path, Text *text);

enum StandardOutput { kOutputToFile, kOutputNone, kOutputToFullDisk };

typedef struct {
    Text out;           /* every byte the program wrote, CR LF as written */
    DWORD status;       /* exit status */
    int boxShown;
    char boxText[256];
    Text outAtBox;      /* what had reached the output file when the box appeared */
    DWORD milliseconds; /* from start to end */
} RunOutcome;

/* Runs program with this exact command line (element 0 included) in directory, on desktop
 * ("station\desktop") or, when it is NULL, on the suite's own. */
void RunExactAt(const wchar_t *program, const wchar_t *commandLine, const wchar_t *directory,
                enum StandardOutput output, const wchar_t *desktop, RunOutcome *run,
                const char *file, int line);
#define RunExact(...) RunExactAt(__VA_ARGS__, __FILE__, __LINE__)

/* A window station that nobody sees, as services and SYSTEM get, with a desktop
 * "Default"; returns the desktop's full name for RunExact. */
const wchar_t *HiddenDesktopAt(const char *file, int line);
#define HiddenDesktop() HiddenDesktopAt(__FILE__, __LINE__)

/* Registers a root-enumerated device that then counts as present. hardwareIds is a
 * multi-string of size bytes; size 0 gives the device no hardware-ID property at all. */
void CreatePresentDeviceAt(const char *hardwareIds, size_t size, const char *file, int line);
#define CreatePresentDevice(ids, size) CreatePresentDeviceAt((ids), (size), __FILE__, __LINE__)
/* Every hardware ID of every present device, in the order the system walks them, as a
 * multi-string (each ID ends with a NUL, the list with one more). */
const char *PresentHardwareIds(void);

/* A top-level window with this title on a thread of its own, which records WM_CLOSE. */
typedef struct Wizard Wizard;
Wizard *OpenWizardAt(const wchar_t *title, const char *file, int line);
#define OpenWizard(title) OpenWizardAt((title), __FILE__, __LINE__)
/* From now on the window's thread reads no messages, until CloseWizard. */
void HangWizard(Wizard *wizard);
/* Closes the window if it is still open; nonzero when drvplant had sent it WM_CLOSE. */
int CloseWizard(Wizard *wizard);
