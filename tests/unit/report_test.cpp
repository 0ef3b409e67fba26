#include "installer/installer.h"
#include "world_scope.h"

struct ReportCase {
    const char *label;
    DWORD code;
    std::vector<Fault> faults;
    std::string line;
};

TEST(ReportFailure, OneLineWithTheSystemTextOrTheCode)
{
    const ReportCase cases[] = {
        {"EnumDeviceInfo", ERROR_NO_MORE_ITEMS, {},
         "EnumDeviceInfo FAILURE: No more data available.\r\r\n\r\n"},
        {"GetDeviceRegistryProperty", ERROR_SUCCESS, {},
         "GetDeviceRegistryProperty FAILURE: The operation completed successfully.\r\r\n\r\n"},
        {"UpdateDriverForPlugAndPlayDevices", 0xE000020B, {},
         "UpdateDriverForPlugAndPlayDevices FAILURE: (0xe000020b)\r\n"},
        {"GetClassDevs(All Present Devices)", 7, {},
         "GetClassDevs(All Present Devices) FAILURE: (0x00000007)\r\n"},
        {"EnumDeviceInfo", ERROR_ACCESS_DENIED, {{Op::FormatMessage, 0, ERROR_NOT_ENOUGH_MEMORY}},
         "EnumDeviceInfo FAILURE: (0x00000005)\r\n"},
        // Nothing reaches the output, and the caller still sees its own code.
        {"EnumDeviceInfo", ERROR_ACCESS_DENIED, {{Op::Print, 0, ERROR_DISK_FULL}}, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const ReportCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.label << " " << c.code);
        World w;
        w.faults = c.faults;
        WorldScope scope(w);
        SetLastError(c.code);
        EXPECT_EQ(FALSE, ReportFailure(c.label));
        EXPECT_EQ(c.code, GetLastError());
        EXPECT_EQ(c.line, w.out);
        ExpectReleased(w);
    }
}

TEST(Print, LeavesTheLastErrorWhenTheWriteFails)
{
    const DWORD writeErrors[] = {ERROR_INVALID_HANDLE, ERROR_DISK_FULL};
    for (DWORD writeError : writeErrors) {
        SCOPED_TRACE(testing::Message() << "write fails with " << writeError);
        World w;
        w.faults = {{Op::Print, 0, writeError}};
        WorldScope scope(w);
        SetLastError(0xdeadbeef);
        Print("Compare device ID: [%s]\n", "X");
        EXPECT_EQ(0xdeadbeefu, GetLastError());
        EXPECT_EQ("", w.out);
    }
}
