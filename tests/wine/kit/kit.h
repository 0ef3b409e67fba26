/* A small kit for driving the real drvplant.exe under Wine: checks that name their line
 * and case, and named cases (checks.c); files, exact command lines, the message box and
 * window stations (runs.c); present devices (devices.c); wizard windows (wizards.c).
 * Plain C on the system's C runtime alone, so that any Windows toolchain builds it.
 * Nothing here hands the C runtime a va_list: some Wine builds read one wrongly. */
#pragma once

#include <windows.h>
#include <stdio.h>

/* Like Wine's ok(): counts, and on failure prints the caller's file and line and the case
 * that runs (as winetest_push_context would), then the message. */
int CheckCounted(int ok, const char *file, int line);
#define check(ok, ...)                                                                   \
    (CheckCounted((ok) != 0, __FILE__, __LINE__) ? (void)0                               \
                                                 : (void)(printf(__VA_ARGS__), printf("\n")))
/* Compares two byte strings and shows both, escaped, when they differ. */
void CheckBytesAt(const char *expected, const char *actual, const char *file, int line,
                  const char *what);
#define check_bytes(expected, actual, what) \
    CheckBytesAt((expected), (actual), __FILE__, __LINE__, (what))
/* Prints the group's count of checks and failures; 0 when none failed, 1 when some did,
 * and kNoCaseMatched when a filter left no case to run here and nothing failed (run.sh
 * fails a filter that no program matches). */
enum { kNoCaseMatched = 3 };
int CheckSummary(const char *group);

/* Named cases: only those whose name contains filter run (all when it is NULL or empty),
 * and each prints "ok" or "FAIL" with group/name when it ends. Names are identifiers. */
void SelectCases(const char *group, const char *filter);
int BeginCase(const char *name);
void EndCase(void);

/* What a Wine cannot show, as Wine's own tests mark a check todo_wine. The checks made
 * between BeginGap(gap) and EndGap() are expected to fail under every Wine that the gap
 * table (gaps.c) names for that gap: each such failure is counted as known, and each such
 * check that passes fails the run, since the gap has closed and the table must say so.
 * Under other Wines, and for kNoGap, they are ordinary checks. A case that met a gap
 * prints "gap", what cannot be shown and why, never "ok". */
enum Gap { kNoGap, kGapRemovingPublishedCopy };
void BeginGap(enum Gap gap);
void EndGap(void);
/* The running Wine's version ("8.0"), and whether it has gap, with what it cannot show and
 * why. */
const char *WineVersion(void);
int FindGap(enum Gap gap, const char **what, const char **why);

/* Text that grows: what a program printed, or what a case expects. */
typedef struct {
    char bytes[65536];
    size_t length;
} Text;
void TextClear(Text *text);
void TextAppend(Text *text, const char *bytes);

enum StandardOutput { kOutputToFile, kOutputNone, kOutputToFullDisk };

typedef struct {
    Text out;           /* every byte the program wrote, CR LF as written */
    DWORD status;       /* exit status */
    int boxShown;
    char boxText[256];
    Text outAtBox;      /* what had reached the output file when the box appeared */
    DWORD milliseconds; /* from start to end */
} Outcome;

/* Runs program with this exact command line (element 0 included) in directory, on desktop
 * ("station\desktop") or, when it is NULL, on the suite's own. */
void RunExact(const wchar_t *program, const wchar_t *commandLine, const wchar_t *directory,
              enum StandardOutput output, const wchar_t *desktop, Outcome *outcome);

/* A window station that nobody sees, as services and SYSTEM get, with a desktop
 * "Default"; returns the desktop's full name for RunExact. */
const wchar_t *HiddenDesktop(void);

/* Registers a root-enumerated device that then counts as present. hardwareIds is a
 * multi-string of size bytes; size 0 gives the device no hardware-ID property at all. */
void CreatePresentDevice(const char *hardwareIds, size_t size);
/* Calls visit for every hardware ID of every present device, in the order the system
 * walks them, until it returns zero. */
void ForEachPresentHardwareId(int (*visit)(const char *id, void *context), void *context);

/* A top-level window with this title on a thread of its own, which records WM_CLOSE. */
typedef struct Wizard Wizard;
Wizard *OpenWizard(const wchar_t *title);
/* From now on the window's thread reads no messages, until CloseWizard. */
void HangWizard(Wizard *wizard);
/* Closes the window if it is still open; nonzero when drvplant had sent it WM_CLOSE. */
int CloseWizard(Wizard *wizard);

void WriteFileBytes(const wchar_t *path, const char *bytes, size_t size);
int FileHasBytes(const wchar_t *path, const char *bytes, size_t size);
