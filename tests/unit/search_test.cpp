#include "unit.h"

static std::string Search(const std::string &id) { return "Search for Device ID: [" + id + "]\r\n"; }
static std::string Compare(const std::string &id) { return "Compare device ID: [" + id + "]\r\n"; }
static std::string Found(const std::string &id) { return "Found! [" + id + "]\r\n"; }
static std::string Failure(const std::string &label, const std::string &text)
{
    return label + " FAILURE: " + text + "\r\r\n\r\n";
}

// Hardware IDs as a machine reports them, in walk order.
static const std::vector<Device> kDevices = {
    Ids({"MONITOR\\Default_Monitor"}),
    kNoIds,
    Ids({"PCI\\VEN_8086", "ROOT\\SECOND", "PCI\\LATER"}),
    Ids({"root\\sampledev"}),
    {true, std::string("\0", 1)}, // a single empty string
    {true, ""},                   // a property without data
    Ids({"ROOT\\SAMPLEDEV", "ROOT\\SECOND"}),
};
static const std::string kWalkAll = Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
                                    Compare("ROOT\\SECOND") + Compare("PCI\\LATER") +
                                    Compare("root\\sampledev") + Compare("ROOT\\SAMPLEDEV") +
                                    Compare("ROOT\\SECOND");
static const std::string kNoMore = Failure("EnumDeviceInfo", "No more data available.");

struct SearchCase {
    const char *name;
    std::string id;
    std::vector<Device> devices;
    std::vector<Fault> faults;
    bool successKeepsLastError;
    std::string out;
    bool answer;
    DWORD lastError;
};

PRINTS_AS_NAME(SearchCase)

static const SearchCase kSearchCases[] = {
    {"no_device_carries_it", "ROOT\\ABSENT", kDevices, {}, false,
     Search("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"second_id_of_a_device", "ROOT\\SECOND", kDevices, {}, false,
     Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
         Compare("ROOT\\SECOND") + Found("ROOT\\SECOND"),
     true, ERROR_SUCCESS},
    {"stored_in_lower_case", "ROOT\\SAMPLEDEV", kDevices, {}, false,
     Search("ROOT\\SAMPLEDEV") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
         Compare("ROOT\\SECOND") + Compare("PCI\\LATER") + Compare("root\\sampledev") +
         Found("ROOT\\SAMPLEDEV"),
     true, ERROR_SUCCESS},
    {"a_lower_case_search_id_never_matches", "root\\sampledev", kDevices, {}, false,
     Search("root\\sampledev") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"no_devices_at_all", "ROOT\\ABSENT", {}, {}, false, Search("ROOT\\ABSENT") + kNoMore, false,
     ERROR_NO_MORE_ITEMS},
    {"a_match_where_success_keeps_the_sizing_reads_code", "ROOT\\SECOND", kDevices, {}, true,
     Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
         Compare("ROOT\\SECOND") + Found("ROOT\\SECOND"),
     true, ERROR_SUCCESS},
    {"no_match_where_success_keeps_codes", "ROOT\\ABSENT", kDevices, {}, true,
     Search("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"every_write_fails_a_match_is_still_a_match", "ROOT\\SECOND", kDevices,
     {{Op::Print, 0, ERROR_DISK_FULL}}, true, "", true, ERROR_SUCCESS},
    {"the_set_cannot_be_opened", "ROOT\\SECOND", kDevices,
     {{Op::GetClassDevs, 0, ERROR_ACCESS_DENIED}}, false,
     Failure("GetClassDevs(All Present Devices)", "Access is denied."), false, ERROR_ACCESS_DENIED},
    {"the_second_fetch_fails", "ROOT\\SECOND", kDevices,
     {{Op::EnumDeviceInfo, 2, ERROR_INVALID_HANDLE}}, false,
     Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") +
         Failure("EnumDeviceInfo", "The handle is invalid."),
     false, ERROR_INVALID_HANDLE},
    {"a_fetch_fails_without_a_code", "ROOT\\SECOND", kDevices, {{Op::EnumDeviceInfo, 1, 0}},
     false, Search("ROOT\\SECOND"), false, ERROR_SUCCESS},
    {"a_hardware_id_read_fails_otherwise", "ROOT\\SECOND", kDevices,
     {{Op::GetDeviceRegistryProperty, 4, ERROR_ACCESS_DENIED}}, false,
     Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") +
         Failure("GetDeviceRegistryProperty", "Access is denied."),
     false, ERROR_ACCESS_DENIED},
    {"a_read_asks_again_for_room_it_was_given", "ROOT\\SECOND", kDevices,
     {{Op::GetDeviceRegistryProperty, 2, ERROR_INSUFFICIENT_BUFFER}}, false,
     Search("ROOT\\SECOND") +
         Failure("GetDeviceRegistryProperty", "The data area passed to a system call is too small."),
     false, ERROR_INSUFFICIENT_BUFFER},
    {"a_read_fails_with_an_unknown_code", "ROOT\\SECOND", kDevices,
     {{Op::GetDeviceRegistryProperty, 1, 0xE000020B}}, false,
     Search("ROOT\\SECOND") + "GetDeviceRegistryProperty FAILURE: (0xe000020b)\r\n", false,
     0xE000020B},
    {"the_property_block_cannot_be_allocated", "ROOT\\SECOND", kDevices,
     {{Op::LocalAlloc, 1, ERROR_NOT_ENOUGH_MEMORY}}, false,
     Search("ROOT\\SECOND") +
         Failure("GetDeviceRegistryProperty",
                 "Not enough memory resources are available to process this command."),
     false, ERROR_NOT_ENOUGH_MEMORY},
    {"data_without_a_terminator_still_matches", "ROOT\\UNTERMINATED",
     {{true, "ROOT\\UNTERMINATED"}}, {}, false,
     Search("ROOT\\UNTERMINATED") + Compare("ROOT\\UNTERMINATED") + Found("ROOT\\UNTERMINATED"),
     true, ERROR_SUCCESS},
    {"data_without_a_terminator_after_a_string", "ROOT\\ABSENT", {{true, std::string("A\0b", 3)}},
     {}, false, Search("ROOT\\ABSENT") + Compare("A") + Compare("b") + kNoMore, false,
     ERROR_NO_MORE_ITEMS},
    {"a_size_larger_than_the_data_it_fills", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), 100u}},
     {}, false, Search("ROOT\\X") + Compare("ROOT\\X") + Found("ROOT\\X"), true, ERROR_SUCCESS},
    {"a_size_that_cuts_a_string_compared_as_cut", "ROOT\\X",
     {{true, MultiString({"ROOT\\XYZ"}), 6u}}, {}, false,
     Search("ROOT\\X") + Compare("ROOT\\X") + Found("ROOT\\X"), true, ERROR_SUCCESS},
    {"a_size_no_block_can_hold", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), MAXDWORD}}, {},
     false,
     Search("ROOT\\X") +
         Failure("GetDeviceRegistryProperty",
                 "Not enough memory resources are available to process this command."),
     false, ERROR_NOT_ENOUGH_MEMORY},
    {"the_walk_ends_at_the_first_empty_string", "ROOT\\ABSENT",
     {{true, std::string("A\0\0B\0\0", 6)}}, {}, false,
     Search("ROOT\\ABSENT") + Compare("A") + kNoMore, false, ERROR_NO_MORE_ITEMS},
};

class FindPresentDeviceTest : public testing::TestWithParam<SearchCase> {};

TEST_P(FindPresentDeviceTest, PrintsAndAnswers)
{
    const SearchCase &c = GetParam();
    World w;
    w.devices = c.devices;
    w.faults = c.faults;
    w.successKeepsLastError = c.successKeepsLastError;
    WorldScope scope(w);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(c.answer, (bool)FindPresentDevice(c.id.c_str()));
    EXPECT_EQ(c.lastError, GetLastError());
    EXPECT_EQ(c.out, w.out);
    ExpectReleased(w);
}

INSTANTIATE_TEST_SUITE_P(Table, FindPresentDeviceTest, testing::ValuesIn(kSearchCases), RowName());

// Under code page 932 a trail byte may fall in 'a'..'z'; it is part of its character
// and neither upper-cased nor compared on its own.
TEST(FindPresentDevice, DoubleByteCharactersStayWhole)
{
    World w;
    w.leadBytes = CodePage932LeadBytes();
    w.devices = {Ids({"root\\\x82\x61x"})};
    WorldScope scope(w);
    EXPECT_TRUE(FindPresentDevice("ROOT\\\x82\x61X"));
    EXPECT_EQ(Search("ROOT\\\x82\x61X") + Compare("root\\\x82\x61x") + Found("ROOT\\\x82\x61X"), w.out);
}

TEST(FindPresentDevice, OneSizingReadAndOneReadADevice)
{
    World w;
    w.devices = kDevices;
    WorldScope scope(w);
    EXPECT_FALSE(FindPresentDevice("ROOT\\ABSENT"));
    // Five devices with data take two reads and a block each; the one without IDs and the
    // one without data take a read.
    EXPECT_EQ(12u, w.calls[Op::GetDeviceRegistryProperty]);
    EXPECT_EQ(5u, w.calls[Op::LocalAlloc]);
}
