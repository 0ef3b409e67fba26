#include "installer/installer.h"
#include "world_scope.h"

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

TEST(FindPresentDevice, Outcomes)
{
    const SearchCase cases[] = {
        {"no device carries it", "ROOT\\ABSENT", kDevices, {}, false,
         Search("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
        {"second ID of a device", "ROOT\\SECOND", kDevices, {}, false,
         Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
             Compare("ROOT\\SECOND") + Found("ROOT\\SECOND"),
         true, ERROR_SUCCESS},
        {"stored in lower case", "ROOT\\SAMPLEDEV", kDevices, {}, false,
         Search("ROOT\\SAMPLEDEV") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
             Compare("ROOT\\SECOND") + Compare("PCI\\LATER") + Compare("root\\sampledev") +
             Found("ROOT\\SAMPLEDEV"),
         true, ERROR_SUCCESS},
        {"a lower-case search ID never matches", "root\\sampledev", kDevices, {}, false,
         Search("root\\sampledev") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
        {"no devices at all", "ROOT\\ABSENT", {}, {}, false, Search("ROOT\\ABSENT") + kNoMore, false,
         ERROR_NO_MORE_ITEMS},
        {"a match where success keeps the sizing read's code", "ROOT\\SECOND", kDevices, {}, true,
         Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") + Compare("PCI\\VEN_8086") +
             Compare("ROOT\\SECOND") + Found("ROOT\\SECOND"),
         true, ERROR_SUCCESS},
        {"no match where success keeps codes", "ROOT\\ABSENT", kDevices, {}, true,
         Search("ROOT\\ABSENT") + kWalkAll + kNoMore, false, ERROR_NO_MORE_ITEMS},
        {"every write fails: a match is still a match", "ROOT\\SECOND", kDevices,
         {{Op::Print, 0, ERROR_DISK_FULL}}, true, "", true, ERROR_SUCCESS},
        {"the set cannot be opened", "ROOT\\SECOND", kDevices,
         {{Op::GetClassDevs, 0, ERROR_ACCESS_DENIED}}, false,
         Failure("GetClassDevs(All Present Devices)", "Access is denied."), false, ERROR_ACCESS_DENIED},
        {"the second fetch fails", "ROOT\\SECOND", kDevices,
         {{Op::EnumDeviceInfo, 2, ERROR_INVALID_HANDLE}}, false,
         Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") +
             Failure("EnumDeviceInfo", "The handle is invalid."),
         false, ERROR_INVALID_HANDLE},
        {"a fetch fails without a code", "ROOT\\SECOND", kDevices, {{Op::EnumDeviceInfo, 1, 0}},
         false, Search("ROOT\\SECOND"), false, ERROR_SUCCESS},
        {"a hardware-ID read fails otherwise", "ROOT\\SECOND", kDevices,
         {{Op::GetDeviceRegistryProperty, 4, ERROR_ACCESS_DENIED}}, false,
         Search("ROOT\\SECOND") + Compare("MONITOR\\Default_Monitor") +
             Failure("GetDeviceRegistryProperty", "Access is denied."),
         false, ERROR_ACCESS_DENIED},
        {"a read asks again for room it was given", "ROOT\\SECOND", kDevices,
         {{Op::GetDeviceRegistryProperty, 2, ERROR_INSUFFICIENT_BUFFER}}, false,
         Search("ROOT\\SECOND") +
             Failure("GetDeviceRegistryProperty", "The data area passed to a system call is too small."),
         false, ERROR_INSUFFICIENT_BUFFER},
        {"a read fails with an unknown code", "ROOT\\SECOND", kDevices,
         {{Op::GetDeviceRegistryProperty, 1, 0xE000020B}}, false,
         Search("ROOT\\SECOND") + "GetDeviceRegistryProperty FAILURE: (0xe000020b)\r\n", false,
         0xE000020B},
        {"the property block cannot be allocated", "ROOT\\SECOND", kDevices,
         {{Op::LocalAlloc, 1, ERROR_NOT_ENOUGH_MEMORY}}, false,
         Search("ROOT\\SECOND") +
             Failure("GetDeviceRegistryProperty",
                     "Not enough memory resources are available to process this command."),
         false, ERROR_NOT_ENOUGH_MEMORY},
        {"data without a terminator still matches", "ROOT\\UNTERMINATED",
         {{true, "ROOT\\UNTERMINATED"}}, {}, false,
         Search("ROOT\\UNTERMINATED") + Compare("ROOT\\UNTERMINATED") + Found("ROOT\\UNTERMINATED"),
         true, ERROR_SUCCESS},
        {"data without a terminator after a string", "ROOT\\ABSENT", {{true, std::string("A\0b", 3)}},
         {}, false, Search("ROOT\\ABSENT") + Compare("A") + Compare("b") + kNoMore, false,
         ERROR_NO_MORE_ITEMS},
        {"a size larger than the data it fills", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), 100u}},
         {}, false, Search("ROOT\\X") + Compare("ROOT\\X") + Found("ROOT\\X"), true, ERROR_SUCCESS},
        {"a size that cuts a string: compared as cut", "ROOT\\X",
         {{true, MultiString({"ROOT\\XYZ"}), 6u}}, {}, false,
         Search("ROOT\\X") + Compare("ROOT\\X") + Found("ROOT\\X"), true, ERROR_SUCCESS},
        {"a size no block can hold", "ROOT\\X", {{true, MultiString({"ROOT\\X"}), MAXDWORD}}, {},
         false,
         Search("ROOT\\X") +
             Failure("GetDeviceRegistryProperty",
                     "Not enough memory resources are available to process this command."),
         false, ERROR_NOT_ENOUGH_MEMORY},
        {"the walk ends at the first empty string", "ROOT\\ABSENT",
         {{true, std::string("A\0\0B\0\0", 6)}}, {}, false,
         Search("ROOT\\ABSENT") + Compare("A") + kNoMore, false, ERROR_NO_MORE_ITEMS},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const SearchCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
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
}

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
