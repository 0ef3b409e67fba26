// What both programs use: the handoff to the native exe, the INF path beside the program,
// printing that leaves the last error alone, and the failure report.
#pragma once

#include "platform/platform.h"

// Holds the composed INF path with its terminator, in UTF-16 units.
enum { kInfPathSize = 1024 };

// The directory of program (up to its last backslash) followed by infFile, made a full
// path (the current folder before a relative one, .\ and ..\ folded). FALSE when that
// cannot be had or would not fit kInfPathSize units.
BOOL ComposeInfPath(const WCHAR *program, const WCHAR *infFile, WCHAR *path);

// printf of format with up to two strings, to standard output, leaving the last error
// alone: a failed write (no standard output, a full disk) must not decide the run, since
// answers and failure reports all travel in the last error.
void PrintKeepingLastError(const char *format, const char *first = NULL, const char *second = NULL);

// Prints "<label> FAILURE: <system text>" for the last error, which it leaves as it was.
// Always FALSE, so a failing caller can return it.
BOOL ReportFailure(const char *label);

// Equality in which the letters A to Z match a to z, and nothing else differs: no locale's
// rules, so that the answer is the same under every one (Turkish dotted I included).
BOOL SameIgnoringCase(const WCHAR *left, const WCHAR *right);

// Where this exe runs emulated or as 32-bit on 64-bit Windows, which cannot install a
// driver, it starts the native machine's exe of the same name from the release archive's
// layout with this process's own command line, and waits for it: TRUE then, with its exit
// status (failed where that could not be read). FALSE where this exe is to do the run.
BOOL HandToNativeExe(int failed, int *status);
