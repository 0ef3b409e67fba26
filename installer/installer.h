// The installer's logic, written against the Windows operations of platform/.
#pragma once

#include "platform/platform.h"

enum ExitStatus {
    kInstalled = 0,
    kInstalledRestartNeeded = 1,
    kFailed = 2,
};

// Holds the composed INF path with its terminator.
enum { kInfPathSize = 1024 };

int WINAPI InstallMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int show);

// True when a present device reports hardwareId; the last error is what the search
// ended on.
BOOL FindPresentDevice(const char *hardwareId);

// Prints "<label> FAILURE: <system text>" for the last error, which it leaves as it was.
// Always FALSE, so a failing caller can return it.
BOOL ReportFailure(const char *label);

// printf to standard output that leaves the last error alone.
void Print(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The directory of program (up to its last backslash) followed by infFile. FALSE when
// the result would not fit kInfPathSize bytes.
BOOL ComposeInfPath(const char *program, const char *infFile, char *path);

// Byte-exact equality that steps by characters of the ANSI code page.
BOOL SameText(const char *left, const char *right);
