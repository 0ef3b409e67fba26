#include "unit.h"

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
static const std::string kWalkAll =
    CompareLine("MONITOR\\Default_Monitor") + CompareLine("PCI\\VEN_8086") +
    CompareLine("ROOT\\SECOND") + CompareLine("PCI\\LATER") + CompareLine("root\\sampledev") +
    CompareLine("ROOT\\SAMPLEDEV") + CompareLine("ROOT\\SECOND");
static const std::string kSecondIdFound =
    SearchLine("ROOT\\SECOND") + CompareLine("MONITOR\\Default_Monitor") +
    CompareLine("PCI\\VEN_8086") + CompareLine("ROOT\\SECOND") + FoundLine("ROOT\\SECOND");
static const std::string kNoMore = ReportLine(kNextDeviceLabel, ERROR_NO_MORE_ITEMS);
// The first device's IDs unreadable with code: reported, and the walk goes on to a match.
static std::string FoundAfterReport(DWORD code)
{
    return SearchLine("ROOT\\SECOND") + ReportLine(kReadIdsLabel, code) + CompareLine("PCI\\VEN_8086") +
           CompareLine("ROOT\\SECOND") + FoundLine("ROOT\\SECOND");
}

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
     SearchLine("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"second_id_of_a_device", "ROOT\\SECOND", kDevices, {}, false,
     kSecondIdFound, true, ERROR_SUCCESS},
    {"stored_in_lower_case", "ROOT\\SAMPLEDEV", kDevices, {}, false,
     SearchLine("ROOT\\SAMPLEDEV") + CompareLine("MONITOR\\Default_Monitor") +
         CompareLine("PCI\\VEN_8086") +
         CompareLine("ROOT\\SECOND") + CompareLine("PCI\\LATER") + CompareLine("root\\sampledev") +
         FoundLine("ROOT\\SAMPLEDEV"),
     true, ERROR_SUCCESS},
    {"a_lower_case_search_id_never_matches", "root\\sampledev", kDevices, {}, false,
     SearchLine("root\\sampledev") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"no_devices_at_all", "ROOT\\ABSENT", {}, {}, false, SearchLine("ROOT\\ABSENT") + kNoMore, false,
     ERROR_NO_MORE_ITEMS},
    {"a_match_where_success_keeps_the_sizing_reads_code", "ROOT\\SECOND", kDevices, {}, true,
     kSecondIdFound, true, ERROR_SUCCESS},
    {"no_match_where_success_keeps_codes", "ROOT\\ABSENT", kDevices, {}, true,
     SearchLine("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
    {"every_write_fails_a_match_is_still_a_match", "ROOT\\SECOND", kDevices,
     {{Op::printf, 0, ERROR_DISK_FULL}}, true, "", true, ERROR_SUCCESS},
    {"the_set_cannot_be_opened", "ROOT\\SECOND", kDevices,
     {{Op::SetupDiGetClassDevsA, 0, ERROR_ACCESS_DENIED}}, false,
     ReportLine(kListDevicesLabel, ERROR_ACCESS_DENIED), false, ERROR_ACCESS_DENIED},
    {"the_second_fetch_fails", "ROOT\\SECOND", kDevices,
     {{Op::SetupDiEnumDeviceInfo, 2, ERROR_INVALID_HANDLE}}, false,
     SearchLine("ROOT\\SECOND") + CompareLine("MONITOR\\Default_Monitor") +
         ReportLine(kNextDeviceLabel, ERROR_INVALID_HANDLE),
     false, ERROR_INVALID_HANDLE},
    {"a_fetch_fails_without_a_code", "ROOT\\SECOND", kDevices, {{Op::SetupDiEnumDeviceInfo, 1, 0}},
     false, SearchLine("ROOT\\SECOND"), false, ERROR_SUCCESS},
    // One unplugged during the walk, say: reported, and the device after it still found.
    {"an_unreadable_device_hides_no_later_one", "ROOT\\SECOND", kDevices,
     {{Op::SetupDiGetDeviceRegistryPropertyA, 4, 0xE000020B}}, false,
     SearchLine("ROOT\\SECOND") + CompareLine("MONITOR\\Default_Monitor") +
         ReportLine(kReadIdsLabel, 0xE000020B) + CompareLine("root\\sampledev") +
         CompareLine("ROOT\\SAMPLEDEV") + CompareLine("ROOT\\SECOND") + FoundLine("ROOT\\SECOND"),
     true, ERROR_SUCCESS},
    {"a_read_asks_again_for_room_it_was_given", "ROOT\\SECOND", kDevices,
     {{Op::SetupDiGetDeviceRegistryPropertyA, 2, ERROR_INSUFFICIENT_BUFFER}}, false,
     FoundAfterReport(ERROR_INSUFFICIENT_BUFFER), true, ERROR_SUCCESS},
    {"the_first_read_fails_otherwise", "ROOT\\SECOND", kDevices,
     {{Op::SetupDiGetDeviceRegistryPropertyA, 1, ERROR_ACCESS_DENIED}}, false,
     FoundAfterReport(ERROR_ACCESS_DENIED), true, ERROR_SUCCESS},
    {"the_property_block_cannot_be_allocated", "ROOT\\SECOND", kDevices,
     {{Op::LocalAlloc, 1, ERROR_NOT_ENOUGH_MEMORY}}, false,
     FoundAfterReport(ERROR_NOT_ENOUGH_MEMORY), true, ERROR_SUCCESS},
    {"data_without_a_terminator_still_matches", "ROOT\\UNTERMINATED",
     {{true, "ROOT\\UNTERMINATED"}}, {}, false,
     SearchLine("ROOT\\UNTERMINATED") + CompareLine("ROOT\\UNTERMINATED") +
         FoundLine("ROOT\\UNTERMINATED"),
     true, ERROR_SUCCESS},
    {"data_without_a_terminator_after_a_string", "ROOT\\ABSENT", {{true, std::string("A\0b", 3)}},
     {}, false, SearchLine("ROOT\\ABSENT") + CompareLine("A") + CompareLine("b") + kNoMore, false,
     ERROR_NO_MORE_ITEMS},
    {"a_size_larger_than_the_data_it_fills", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), 100u}},
     {}, false, SearchLine("ROOT\\X") + CompareLine("ROOT\\X") + FoundLine("ROOT\\X"), true, ERROR_SUCCESS},
    {"a_size_that_cuts_a_string_compared_as_cut", "ROOT\\X",
     {{true, MultiString({"ROOT\\XYZ"}), 6u}}, {}, false,
     SearchLine("ROOT\\X") + CompareLine("ROOT\\X") + FoundLine("ROOT\\X"), true, ERROR_SUCCESS},
    {"a_size_no_block_can_hold", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), MAXDWORD}}, {},
     false,
     SearchLine("ROOT\\X") + ReportLine(kReadIdsLabel, ERROR_NOT_ENOUGH_MEMORY) + kNoMore,
     false, ERROR_NO_MORE_ITEMS},
    {"the_walk_ends_at_the_first_empty_string", "ROOT\\ABSENT",
     {{true, std::string("A\0\0B\0\0", 6)}}, {}, false,
     SearchLine("ROOT\\ABSENT") + CompareLine("A") + kNoMore, false, ERROR_NO_MORE_ITEMS},
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
    SetLastError(kSentinel);
    BOOL searchedAll;
    EXPECT_EQ(c.answer, (bool)FindPresentDevice(c.id.c_str(), &searchedAll));
    EXPECT_EQ(c.lastError, GetLastError());
    EXPECT_EQ(c.out, w.out);
    EXPECT_EQ("", Unreleased(w));
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
    BOOL searchedAll;
    EXPECT_TRUE(FindPresentDevice("ROOT\\\x82\x61X", &searchedAll));
    EXPECT_EQ(SearchLine("ROOT\\\x82\x61X") + CompareLine("root\\\x82\x61x") + FoundLine("ROOT\\\x82\x61X"), w.out);
}

TEST(FindPresentDevice, OneSizingReadAndOneReadADevice)
{
    World w;
    w.devices = kDevices;
    WorldScope scope(w);
    BOOL searchedAll;
    EXPECT_FALSE(FindPresentDevice("ROOT\\ABSENT", &searchedAll));
    // Five devices with data take two reads and a block each; the one without IDs and the
    // one without data take a read.
    EXPECT_EQ(12u, w.calls[Op::SetupDiGetDeviceRegistryPropertyA]);
    EXPECT_EQ(5u, w.calls[Op::LocalAlloc]);
}
