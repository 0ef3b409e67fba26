// What both programs use: the INF path beside the program, printing that leaves the last
// error alone, and the failure report.
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
void PrintKeepingLastError(const char *format, const char *first = "", const char *second = "");

// Prints "<label> FAILURE: <system text>" for the last error, which it leaves as it was.
// Always FALSE, so a failing caller can return it.
BOOL ReportFailure(const char *label);
