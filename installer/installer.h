// The installer's logic, written against the Windows operations of platform/.
#pragma once

#include "platform/platform.h"

enum ExitStatus {
    kInstalled = 0,
    kInstalledRestartNeeded = 1,
    kFailed = 2,
};

// Holds the composed INF path with its terminator, in UTF-16 units.
enum { kInfPathSize = 1024 };

int WINAPI InstallMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int show);

// True when a present device reports hardwareId; the last error is what the search
// ended on.
BOOL FindPresentDevice(const char *hardwareId);

// What failure reports call the operations that failed.
inline constexpr char kListDevicesLabel[] = "GetClassDevs(All Present Devices)";
inline constexpr char kNextDeviceLabel[] = "EnumDeviceInfo";
inline constexpr char kReadIdsLabel[] = "GetDeviceRegistryProperty";
inline constexpr char kForceLabel[] = "UpdateDriverForPlugAndPlayDevices";
inline constexpr const char *kReportLabels[] = {kListDevicesLabel, kNextDeviceLabel, kReadIdsLabel,
                                                kForceLabel};

// Prints "<label> FAILURE: <system text>" for the last error, which it leaves as it was.
// Always FALSE, so a failing caller can return it.
BOOL ReportFailure(const char *label);

// printf to standard output that leaves the last error alone: a failed write (no standard
// output, a full disk) must not decide the run, since the search's answer and the failure
// reports all travel in the last error. A macro, so the arguments reach the C runtime as
// they are, never as a va_list.
#define Print(...)                            \
    do {                                      \
        DWORD printSaved_ = GetLastError();   \
        PrintOutput(__VA_ARGS__);             \
        SetLastError(printSaved_);            \
    } while (0)

// The directory of program (up to its last backslash) followed by infFile. FALSE when
// the result would not fit kInfPathSize units.
BOOL ComposeInfPath(const WCHAR *program, const WCHAR *infFile, WCHAR *path);

// Byte-exact equality that steps by characters of the ANSI code page.
BOOL SameText(const char *left, const char *right);
