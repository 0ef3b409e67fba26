#include "unit.h"

struct ReportCase {
    const char *name;
    const char *label;
    DWORD code;
    std::vector<Fault> faults;
    std::string line;
};
PRINTS_AS_NAME(ReportCase)

// Each label that drvplant uses, as callers' logs show it.
static const ReportCase kReportCases[] = {
    {"system_text", kNextDeviceLabel, ERROR_NO_MORE_ITEMS, {},
     "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"},
    {"code_zero_is_reported_too", kReadIdsLabel, ERROR_SUCCESS, {},
     "GetDeviceRegistryProperty FAILURE: The operation completed successfully.\r\r\n\r\n"},
    // Printed as the system has it, insert and all: no arguments are looked for.
    {"text_with_an_insert", kForceLabel, ERROR_BAD_EXE_FORMAT, {},
     "UpdateDriverForPlugAndPlayDevices FAILURE: %1 is not a valid Win32 application.\r\r\n\r\n"},
    {"setupapi_code_without_text", kForceLabel, 0xE000020B, {},
     "UpdateDriverForPlugAndPlayDevices FAILURE: (0xe000020b)\r\n"},
    {"code_without_text_zero_filled", kListDevicesLabel, 7, {},
     "GetClassDevs(All Present Devices) FAILURE: (0x00000007)\r\n"},
    {"text_cannot_be_had", "EnumDeviceInfo", ERROR_ACCESS_DENIED,
     {{Op::FormatMessageA, 0, ERROR_NOT_ENOUGH_MEMORY}}, "EnumDeviceInfo FAILURE: (0x00000005)\r\n"},
};

class ReportFailureTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportFailureTest, OneLineWithTheSystemTextOrTheCode)
{
    const ReportCase &c = GetParam();
    World w;
    w.faults = c.faults;
    WorldScope scope(w);
    SetLastError(c.code);
    EXPECT_EQ(FALSE, ReportFailure(c.label));
    EXPECT_EQ(c.code, GetLastError());
    EXPECT_EQ(c.line, w.out);
    EXPECT_EQ("", Unreleased(w));
}

INSTANTIATE_TEST_SUITE_P(Table, ReportFailureTest, testing::ValuesIn(kReportCases), RowName());

// A failed write (no standard output, a full disk) must not decide the run.
TEST(PrintKeepingLastError, LeavesTheLastErrorWhenTheWriteFails)
{
    World w;
    w.faults = {{Op::printf, 0, ERROR_INVALID_HANDLE}};
    WorldScope scope(w);
    SetLastError(kSentinel);
    PrintKeepingLastError("Compare device ID: [%s]\n", "X");
    EXPECT_EQ(kSentinel, GetLastError());
    EXPECT_EQ("", w.out);
}
