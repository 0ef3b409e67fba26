/* A small kit for driving the real drvplant.exe and drvremove.exe under Wine: checks, cases
 * and groups (checks.c), gaps (gaps.c), exact runs (runs.c), present devices (devices.c) and
 * wizard windows (wizards.c). Plain C on the system's C runtime alone, and nothing here
 * hands it a va_list: some Wine builds read one wrongly. A helper that checks reports its
 * caller's file and line, as Wine's ok_(file, line) does: Name(...) is NameAt(..., AT). */
#pragma once

#include <windows.h>
#include <stdio.h>

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))
#define AT __FILE__, __LINE__
#define WHERE const char *file, int line

/* Counts, and on failure prints file, line and the case that runs, then the message. */
int CheckCounted(int ok, WHERE);
#define check_at(file, line, ok, ...)                                                    \
    (CheckCounted((ok) != 0, (file), (line)) ? (void)0                                   \
                                             : (void)(printf(__VA_ARGS__), printf("\n")))
#define check(ok, ...) check_at(__FILE__, __LINE__, ok, __VA_ARGS__)
/* Compares two byte strings and shows both, escaped, when they differ. */
void CheckBytesAt(const char *expected, const char *actual, const char *what, WHERE);
#define check_bytes(expected, actual, what) CheckBytesAt((expected), (actual), (what), AT)

/* What a Wine cannot show, marked on the one check that differs as Wine marks one
 * todo_wine: `todo_gap(gap) check(...);`. Under a Wine that the gap table (gaps.c) names
 * for gap, the check must fail and counts as known; passing, it fails the run (the gap has
 * closed: take it out of the table). Elsewhere, and for kNoGap, it is an ordinary check.
 * A case that met a gap prints "gap", what cannot be shown and why, never "ok". */
enum Gap { kNoGap, kGapRemovingPublishedCopy };
int BeginGap(enum Gap gap);
int EndGap(void);
#define todo_gap(gap) for (int gapOpen = BeginGap(gap); gapOpen; gapOpen = EndGap())
/* The running Wine's version ("8.0"), and whether it has gap, with what and why. */
const char *WineVersion(void);
int FindGap(enum Gap gap, const char **what, const char **why);

/* `program <group> <exe> <case>`, as run.sh starts each group of groups.h: runs the group
 * with the exe ("" for none) and, for a case that is not "", only the cases whose name
 * contains it; then prints the counts, and fails when the cases that ran are not those
 * that groups.h lists. `in_case(name) statement;` runs a case, which prints "ok", "gap"
 * or "FAIL" with group/name when it ends. */
typedef struct {
    const char *name;
    void (*run)(const wchar_t *exe);
} Group;
int RunGroup(int argc, char **argv, const Group *groups, size_t count);
int BeginCase(const char *name);
int EndCase(void);
#define in_case(name) for (int caseOpen = BeginCase(name); caseOpen; caseOpen = EndCase())
int CheckSummary(const char *group);

/* Text that grows: what a program printed, or what a case expects. */
typedef struct {
    char bytes[65536];
    size_t length;
} Text;
void TextClear(Text *text);
void TextAppend(Text *text, const char *bytes);
void ReadFileText(const wchar_t *path, Text *text); /* none when it cannot be read */

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
                enum StandardOutput output, const wchar_t *desktop, RunOutcome *run, WHERE);
#define RunExact(...) RunExactAt(__VA_ARGS__, AT)
/* The desktop "Default" of a window station that nobody sees, as services and SYSTEM get. */
const wchar_t *HiddenDesktopAt(WHERE);
#define HiddenDesktop() HiddenDesktopAt(AT)

/* Registers a root-enumerated device that then counts as present. hardwareIds is a
 * multi-string of size bytes; size 0 gives the device no hardware-ID property at all. */
void CreatePresentDeviceAt(const char *hardwareIds, size_t size, WHERE);
#define CreatePresentDevice(...) CreatePresentDeviceAt(__VA_ARGS__, AT)
/* Every hardware ID of every present device in the order the system walks them, each
 * ending with a NUL and the list with one more. */
const char *PresentHardwareIds(void);

/* A top-level window with this title on a thread of its own, which records WM_CLOSE;
 * HangWizard stops its thread reading messages until CloseWizard, which closes the window
 * if it is still open and tells whether drvplant had sent it WM_CLOSE. */
typedef struct Wizard Wizard;
Wizard *OpenWizardAt(const wchar_t *title, WHERE);
#define OpenWizard(title) OpenWizardAt((title), AT)
void HangWizard(Wizard *wizard);
int CloseWizard(Wizard *wizard);
