// drvplant's logic: force the INF's driver onto a present device, or pre-install the INF.
#pragma once

#include "common/common.h"

enum ExitStatus {
    kInstalled = 0,
    kInstalledRestartNeeded = 1,
    kFailed = 2,
};

ProgramMain InstallMain;

// One install run, as both programs make it.
struct InstallRun {
    const WCHAR *infPath;
    const char *hardwareId; // what the search prints and compares
    const WCHAR *wideId;    // the caller's own characters, which Windows is given
    BOOL seen;              // whether a person may see the run
    BOOL searchedAll;       // whether the search saw every present device and its IDs
    DWORD updateFlags;      // of the forced update
};

// What a program does where no present device reports the ID; its exit status.
typedef int AbsentDevice(const InstallRun &run);

// A whole install run: the handoff, the wizard, the arguments (usage names the program),
// the search, and the driver forced onto the present devices that carry the ID, or absent
// where none does; then the success and restart lines.
int RunInstall(int count, char **args, WCHAR **wideArgs, const char *usage, AbsentDevice *absent);

// The forced update onto every present device that carries the ID; a failure is reported.
BOOL ForceDriver(const InstallRun &run, BOOL *rebootRequired);

// True when a present device reports hardwareId; the last error is what the search
// ended on. searchedAll says whether it saw the end of the devices and read every one's IDs.
BOOL FindPresentDevice(const char *hardwareId, BOOL *searchedAll);

// Whether a device of the set reports hardwareId among its IDs, upper-cased. With unread,
// says so line by line, and reports what could not be read and sets *unread then.
BOOL CarriesId(HDEVINFO set, SP_DEVINFO_DATA *device, const char *hardwareId, BOOL *unread);

// What the forced devices make of status, a forced install's: each present device that
// carries hardwareId is looked at once Windows has no installation pending. One with a
// problem fails the install with its line; one waiting for a restart asks for it.
int ForcedDevicesStatus(const char *hardwareId, int status);

// What failure reports call the operations that failed.
inline constexpr char kListDevicesLabel[] = "GetClassDevs(All Present Devices)";
inline constexpr char kNextDeviceLabel[] = "EnumDeviceInfo";
inline constexpr char kReadIdsLabel[] = "GetDeviceRegistryProperty";
inline constexpr char kForceLabel[] = "UpdateDriverForPlugAndPlayDevices";
inline constexpr const char *kReportLabels[] = {kListDevicesLabel, kNextDeviceLabel, kReadIdsLabel,
                                                kForceLabel};

// Byte-exact equality that steps by characters of the ANSI code page.
BOOL SameText(const char *left, const char *right);
