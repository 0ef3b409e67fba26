// drvremove's logic: take out the copies of an INF that Windows keeps among its OEM INFs,
// which is where drvplant's runs put it.
#pragma once

#include "common/common.h"

// Exit statuses beside the Win32 code of the first failure.
enum RemovalStatus {
    kRemovalDone = 0,
    kRemovalUsage = 87,          // ERROR_INVALID_PARAMETER
    kRemovalInfNotFound = 2,     // ERROR_FILE_NOT_FOUND
    kRemovalRestartNeeded = 3010, // ERROR_SUCCESS_REBOOT_REQUIRED
};

ProgramMain RemoveMain;

// Units for a copy's name: "oem", up to eight digits, ".inf" and the terminator.
enum { kCopyNameSize = 16 };

// True for the names Windows gives the copies it publishes: oem<digits>.inf.
BOOL IsCopyName(const WCHAR *name);

// What tells the other versions of a package: its [Version] Provider and ClassGuid.
// A longer value does not identify: the copy is not taken for another version.
struct Identity {
    WCHAR provider[128];
    WCHAR classGuid[40]; // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
};

// The whole file, in a block of size bytes (and one more) for the caller to LocalFree.
BOOL ReadWholeFile(const WCHAR *path, DWORD size, BYTE **bytes);
BOOL ReadIdentity(const WCHAR *path, Identity *identity);
// The name the INF had before Windows published it under path.
BOOL ReadOriginalName(const WCHAR *path, WCHAR *name);

// Which devices installed from a copy a walk takes: all of them, the root-enumerated ones,
// or those only named, each as a "Found <instance ID>" line.
enum DeviceWalk { kEveryDevice, kRootDevices, kNameRootDevices };

// Every device, present or not, whose driver came from the copy name and that the walk
// takes. The set is walked from its end, so that a removal cannot move a device not yet
// seen. passedOver is set when a device of the copy was left as not root. FALSE with the
// first failure's code; forced, the walk goes on past a device that stays, and where
// forcing can mend that failure, TRUE with its code kept in deviceFailure (the first such).
BOOL TakeDevicesOf(const WCHAR *name, DeviceWalk walk, BOOL force, BOOL *restart, BOOL *passedOver,
                   DWORD *deviceFailure);

// Removes the published copy name in folder (which ends in a backslash), and first its
// root-enumerated devices, on older Windows every device installed from it. FALSE with
// the last error when it stays; restart is set when Windows asks for one. deviceFailure is
// the code of a device that could not be removed where forcing went on to the copy all the
// same; else 0.
BOOL RemoveCopy(const WCHAR *folder, const WCHAR *name, BOOL force, BOOL *restart,
                DWORD *deviceFailure);
