// The fault matrices' shared parts: every operation of the table with the codes it
// plausibly fails with and what that failure must amount to in a drvplant run, and the
// runs of a program's scenarios with each call of each operation failing in turn.
#pragma once

#include "tests/host/invariants.h"
#include "tests/host/expected.h"
#include "unit.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

// Codes the host's subset of the API does not name.
inline const DWORD kPathNotFound = 3, kSharingViolation = 32, kLockViolation = 33,
                   kInvalidName = 123, kInvalidFlags = 1004;
inline const DWORD kExpectedSectionName = 0xE0000000, kInvalidRegProperty = 0xE0000209,
                   kNoSuchDevinst = 0xE000020B, kNoCatalogForOemInf = 0xE000022F,
                   kInWow64 = 0xE0000235;

enum Consequence {
    kNotFound,       // as if no INF were there
    kReportThenCopy, // the failure reported under label; the INF pre-installed
    kSilentThenCopy, // a failure without a code leaves nothing to report; pre-installed
    kDeviceSkipped,  // as if that device had no hardware IDs
    kReportThenNextDevice, // the failure reported under label where that device's lines were;
                           // the walk goes on as if it had no hardware IDs
    kUsageLine,      // the usage line; status 2
    kReportAndFail,  // the failure reported under label; status 2
    kBox,            // the box; status 2
    kCodeNotText,    // as if the system had no text for the code that report carries
    kLineLost,       // that line is missing; nothing else changes
    kWizardStays,    // as if no wizard were open
    kIdAsStored,     // as if upper-casing had left that ID as it was
    kNoBox,          // the box does not appear; nothing else changes
    kNothingChanges, // the run does not look at what it returns
    kNotCalled,      // drvplant does not call it; drvremove's runs below do
    kRunsItself,     // as if no native exe were there
    kReportThenRunsItself, // the failure reported under the native exe's path; then as if
                           // no native exe were there
};

struct FaultRow {
    Op op;
    std::vector<DWORD> codes;
    Consequence consequence;
    const char *label;
};

inline const FaultRow kRows[] = {
    {Op::FindFirstFileW, {ERROR_FILE_NOT_FOUND, kPathNotFound, ERROR_ACCESS_DENIED, kInvalidName},
     kNotFound, ""},
    {Op::SetupDiGetClassDevsA, {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY, kInvalidFlags, ERROR_MOD_NOT_FOUND},
     kReportThenCopy, kListDevicesLabel},
    {Op::SetupDiEnumDeviceInfo,
     {ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_USER_BUFFER},
     kReportThenCopy, kNextDeviceLabel},
    {Op::SetupDiEnumDeviceInfo, {ERROR_SUCCESS}, kSilentThenCopy, ""},
    {Op::SetupDiGetDeviceRegistryPropertyA,
     {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_NOT_ENOUGH_MEMORY, ERROR_INSUFFICIENT_BUFFER,
      kInvalidRegProperty, kNoSuchDevinst},
     kReportThenNextDevice, kReadIdsLabel},
    {Op::SetupDiGetDeviceRegistryPropertyA, {ERROR_INVALID_DATA}, kDeviceSkipped, ""},
    {Op::LocalAlloc, {ERROR_NOT_ENOUGH_MEMORY}, kReportThenNextDevice, kReadIdsLabel},
    {Op::GetFullPathNameW, {kInvalidName, ERROR_NOT_ENOUGH_MEMORY}, kUsageLine, ""},
    // Only where nobody sees the run, which none of these runs is: drvremove's runs call it.
    {Op::SetupSetNonInteractiveMode, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kNothingChanges, ""},
    {Op::FormatMessageA, {ERROR_MR_MID_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}, kCodeNotText, ""},
    {Op::UpdateDriverForPlugAndPlayDevicesW,
     {ERROR_ACCESS_DENIED, kInWow64, kNoSuchDevinst, kNoCatalogForOemInf, ERROR_NO_MORE_ITEMS,
      ERROR_FILE_NOT_FOUND, ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND},
     kReportAndFail, kForceLabel},
    {Op::SetupCopyOEMInfW, {ERROR_ACCESS_DENIED, kExpectedSectionName, kNoCatalogForOemInf, ERROR_FILE_NOT_FOUND},
     kBox, ""},
    {Op::printf, {ERROR_INVALID_HANDLE, ERROR_DISK_FULL}, kLineLost, ""},
    {Op::FindWindowW, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kWizardStays, ""},
    {Op::SendMessageTimeoutA, {ERROR_PROC_NOT_FOUND, ERROR_TIMEOUT}, kWizardStays, ""},
    {Op::SetupDiDestroyDeviceInfoList, {ERROR_INVALID_HANDLE}, kNothingChanges, ""},
    {Op::CharUpperA, {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}, kIdAsStored, ""},
    {Op::MessageBoxA, {ERROR_PROC_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY}, kNoBox, ""},
    // Whether a person can see the box is then unknown: one may, so it is shown.
    {Op::GetProcessWindowStation, {ERROR_PROC_NOT_FOUND, ERROR_ACCESS_DENIED}, kNothingChanges, ""},
    {Op::GetUserObjectInformationA, {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}, kNothingChanges, ""},
    {Op::FindNextFileW, {ERROR_NO_MORE_FILES, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::GetSystemWindowsDirectoryW, {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}, kNotCalled, ""},
    {Op::CreateFileW, {ERROR_ACCESS_DENIED, kSharingViolation, ERROR_FILE_NOT_FOUND}, kNotCalled, ""},
    {Op::ReadFile, {ERROR_ACCESS_DENIED, kLockViolation}, kNotCalled, ""},
    {Op::SetupDiOpenDevRegKey, {ERROR_ACCESS_DENIED, ERROR_KEY_DOES_NOT_EXIST}, kNotCalled, ""},
    {Op::RegQueryValueExW, {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MORE_DATA}, kNotCalled, ""},
    {Op::RegCloseKey, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::SetupDiSetClassInstallParamsW, {ERROR_INVALID_USER_BUFFER, ERROR_ACCESS_DENIED}, kNotCalled, ""},
    {Op::SetupDiCallClassInstaller, {ERROR_ACCESS_DENIED, kInWow64, kNoSuchDevinst}, kNotCalled, ""},
    {Op::SetupDiGetDeviceInstallParamsW, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    {Op::SetupDiSetDeviceInstallParamsW, {ERROR_INVALID_HANDLE, ERROR_INVALID_USER_BUFFER}, kNotCalled, ""},
    {Op::SetupGetInfInformationW, {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, kExpectedSectionName},
     kNotCalled, ""},
    {Op::SetupQueryInfOriginalFileInformationW, {ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER},
     kNotCalled, ""},
    {Op::SetupOpenInfFileW, {ERROR_ACCESS_DENIED, kExpectedSectionName}, kNotCalled, ""},
    {Op::SetupGetLineTextW, {ERROR_LINE_NOT_FOUND, ERROR_INSUFFICIENT_BUFFER}, kNotCalled, ""},
    {Op::SetupCloseInfFile, {ERROR_PROC_NOT_FOUND}, kNotCalled, ""},
    {Op::SetupUninstallOEMInfW, {ERROR_ACCESS_DENIED, ERROR_INF_IN_USE_BY_DEVICES, ERROR_FILE_NOT_FOUND},
     kNotCalled, ""},
    {Op::DiUninstallDriverW, {ERROR_ACCESS_DENIED, ERROR_PROC_NOT_FOUND, ERROR_MOD_NOT_FOUND, kInWow64},
     kNotCalled, ""},
    // Before Windows 10 1511 the older pair tells the same machine.
    {Op::IsWow64Process2, {ERROR_PROC_NOT_FOUND, ERROR_INVALID_PARAMETER}, kNothingChanges, ""},
    {Op::IsWow64Process, {ERROR_PROC_NOT_FOUND, ERROR_INVALID_HANDLE}, kRunsItself, ""},
    {Op::GetNativeSystemInfo, {ERROR_PROC_NOT_FOUND}, kRunsItself, ""},
    {Op::GetModuleFileNameW, {ERROR_INSUFFICIENT_BUFFER, ERROR_NOT_ENOUGH_MEMORY}, kRunsItself, ""},
    {Op::CreateProcessW, {ERROR_FILE_NOT_FOUND, kPathNotFound}, kRunsItself, ""},
    {Op::CreateProcessW, {ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT, ERROR_NOT_ENOUGH_MEMORY},
     kReportThenRunsItself, kNativeExe},
    // Only after a failed start, which no clean run has.
    {Op::WideCharToMultiByte, {ERROR_INSUFFICIENT_BUFFER}, kNotCalled, ""},
    // After a forced update, where every device of these runs is well: a wait or a status
    // that cannot be had passes the devices over. The install table fails them where one
    // has a problem, and where its instance ID cannot be read (called only then).
    {Op::CMP_WaitNoPendingInstallEvents, {ERROR_PROC_NOT_FOUND, ERROR_ACCESS_DENIED}, kNothingChanges, ""},
    {Op::CM_Get_DevNode_Status, {ERROR_PROC_NOT_FOUND}, kNothingChanges, ""},
    {Op::SetupDiGetDeviceInstanceIdA, {ERROR_INVALID_HANDLE}, kNotCalled, ""},
    // drvcreate's alone: its runs below.
    {Op::SetupDiGetINFClassW, {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_DATA}, kNotCalled, ""},
    {Op::SetupDiCreateDeviceInfoList, {ERROR_NOT_ENOUGH_MEMORY, ERROR_MOD_NOT_FOUND}, kNotCalled, ""},
    {Op::SetupDiCreateDeviceInfoW, {ERROR_ACCESS_DENIED, ERROR_CLASS_MISMATCH, ERROR_INVALID_DEVINST_NAME}, kNotCalled, ""},
    {Op::SetupDiSetDeviceRegistryPropertyW, {ERROR_ACCESS_DENIED, ERROR_INVALID_DATA}, kNotCalled, ""},
};

struct Finished {
    World world;
    int status;
    DWORD lastError;
};

inline Finished RunOn(World w, ProgramMain *main = InstallMain)
{
    Finished run{w, 0, 0};
    WorldScope scope(run.world);
    SetLastError(kSentinel);
    run.status = RunProgram(main);
    run.lastError = GetLastError();
    return run;
}

// Where the calls of op stand in the journal.
inline std::vector<size_t> CallsOf(const World &w, Op op)
{
    std::vector<size_t> calls;
    for (size_t i = 0; i < w.journal.size(); i++)
        if (w.journal[i].op == op)
            calls.push_back(i);
    return calls;
}

template <class Scenario> struct Faulted {
    std::string name;
    const Scenario *scenario;
    const FaultRow *row;
    DWORD code;
    unsigned call; // 0: every call
};

// Each operation's calls are counted in the clean run of the scenario, so that every call
// can be made to fail, and every call at once.
template <class Scenario>
void AddFaultedRuns(const Scenario &s, const World &clean, std::vector<Faulted<Scenario>> *runs)
{
    for (const FaultRow &row : kRows) {
        unsigned made = (unsigned)CallsOf(clean, row.op).size();
        for (DWORD code : row.codes)
            for (unsigned call = 0; call <= made && made > 0; call++) {
                char name[160];
                snprintf(name, sizeof name, "%s_%s_0x%08x_%s%u", s.name, OpName(row.op),
                         (unsigned)code, call == 0 ? "every_call" : "call", call);
                if (call == 0)
                    name[strlen(name) - 1] = '\0';
                runs->push_back({name, &s, &row, code, call});
            }
    }
}

// Every faulted run of a program's scenarios, each made on its world.
template <class Scenario, size_t count>
std::vector<Faulted<Scenario>> AllRunsOf(const Scenario (&scenarios)[count], World (*make)(const Scenario &),
                                                ProgramMain *main)
{
    std::vector<Faulted<Scenario>> runs;
    for (const Scenario &s : scenarios)
        AddFaultedRuns(s, RunOn(make(s), main).world, &runs);
    return runs;
}
