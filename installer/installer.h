// drvplant's logic: force the INF's driver onto a present device, or pre-install the INF.
#pragma once

#include "common/common.h"

enum ExitStatus {
    kInstalled = 0,
    kInstalledRestartNeeded = 1,
    kFailed = 2,
};

ProgramMain InstallMain;

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

// Byte-exact equality that steps by characters of the ANSI code page.
BOOL SameText(const char *left, const char *right);
