// drvcreate.exe under Wine: the device it makes where none is present, the driver forced
// onto it, no second device on a second run, and none left behind when the install fails.
#include "kit.h"

#include <string.h>

#define VIRTUAL "ROOT\\DRVCREATE_VIRTUAL"
#define WALKED_ALL "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"
#define INSTALLED "Driver Installed successfully.\r\n"

static const wchar_t *const kNewdev[] = {L"newdev", NULL};
static const Start kCreate = START(SUITE, L"drvcreate.exe", L"test.inf ROOT\\DRVCREATE_VIRTUAL");

// The run from nothing: no device with the ID, no install of the suite's INF.
static void RunFromNothing(const wchar_t *const *overrides, RunOutcome *run, Text *expected)
{
    SetUpCase(overrides, L"");
    ForgetInstalls();
    RemoveDevices(VIRTUAL);
    TextClear(expected);
    ExpectSearch(expected, VIRTUAL, NULL);
    TextAppend(expected, WALKED_ALL);
    RunStart(kCreate, kOutputToFile, 0, run);
    TearDownCase();
}

static int Forced(void)
{
    return InstalledInView(KEY_WOW64_32KEY) || InstalledInView(KEY_WOW64_64KEY);
}

// Its line names the device it made, which is then present with the ID and the driver.
static void CreatedAndForced(void)
{
    static RunOutcome run;
    static Text expected;
    char id[256];
    RunFromNothing(NULL, &run, &expected);
    TextAppend(&expected, "Created ");
    TextAppend(&expected, InstanceIdOf(VIRTUAL, id, sizeof id));
    TextAppend(&expected, "\r\n" INSTALLED);
    check(strncmp(id, "ROOT\\", 5) == 0, "the device's instance ID: \"%s\"", id);
    check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == 0, "status %lu", run.status);
    check(CountPresent(VIRTUAL) == 1, "%d devices with the ID", CountPresent(VIRTUAL));
    check(Forced(), "the driver was not forced onto the device");
}

// The device of the first run is found, and the driver forced onto it again.
static void SecondRun(void)
{
    static RunOutcome first, run;
    static Text expected;
    RunFromNothing(NULL, &first, &expected);
    check(first.status == 0 && CountPresent(VIRTUAL) == 1, "first run: status %lu", first.status);
    ForgetInstalls();
    TextClear(&expected);
    ExpectSearch(&expected, VIRTUAL, VIRTUAL);
    TextAppend(&expected, "Found! [" VIRTUAL "]\r\n" INSTALLED);
    SetUpCase(NULL, L"");
    RunStart(kCreate, kOutputToFile, 0, &run);
    TearDownCase();
    check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == 0, "status %lu", run.status);
    check(CountPresent(VIRTUAL) == 1, "%d devices with the ID", CountPresent(VIRTUAL));
    check(Forced(), "the driver was not forced onto the device again");
}

// With newdev not to be had the forced update fails: the device made is taken back.
static void FailedInstallLeavesNoDevice(void)
{
    static RunOutcome run;
    static Text expected;
    RunFromNothing(kNewdev, &run, &expected);
    // Its instance ID is gone with it: the line is taken as printed, up to its end.
    char line[300] = "";
    const char *created = strstr(run.out.bytes, "Created ROOT\\");
    const char *end = created != NULL ? strstr(created, "\r\n") : NULL;
    if (end != NULL && end + 3 - created <= (int)sizeof line)
        lstrcpynA(line, created, (int)(end + 3 - created));
    TextAppend(&expected, line);
    TextAppend(&expected, "UpdateDriverForPlugAndPlayDevices FAILURE: Module not found.\r\r\n\r\n");
    check(line[0] != '\0', "no Created line");
    check_bytes(expected.bytes, run.out.bytes, "output");
    check(run.status == 2, "status %lu", run.status);
    check(CountPresent(VIRTUAL) == 0, "%d devices with the ID left", CountPresent(VIRTUAL));
    check(!Forced(), "the driver was forced on all the same");
}

void CreationCases(const wchar_t *drvplant)
{
    PrepareSuite(drvplant);
    in_case("created_and_forced_from_nothing") CreatedAndForced();
    in_case("second_run_forces_again_no_new_device") SecondRun();
    in_case("failed_install_after_creation_leaves_no_device") FailedInstallLeavesNoDevice();
    RemoveDevices(VIRTUAL);
    ForgetInstalls();
}
