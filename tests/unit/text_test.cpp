#include "unit.h"

struct PathCase {
    const char *name;
    std::string program, infFile;
    std::set<unsigned char> leadBytes;
    bool fits;
    std::string path;
};
PRINTS_AS_NAME(PathCase)

static const std::string kDirectory = "C:\\tools\\";
static const std::string kLongest(1023 - kDirectory.size(), 'a'); // fills the buffer exactly

static const PathCase kPathCases[] = {
    {"beside_the_program", "C:\\tools\\drvplant.exe", "dev.inf", {}, true, "C:\\tools\\dev.inf"},
    {"sub_directory", "C:\\tools\\drvplant.exe", "sub\\dev.inf", {}, true, "C:\\tools\\sub\\dev.inf"},
    {"absolute_inf_still_appended", "C:\\tools\\drvplant.exe", "D:\\dev.inf", {}, true,
     "C:\\tools\\D:\\dev.inf"},
    {"no_backslash", "drvplant", "dev.inf", {}, true, "dev.inf"},
    {"forward_slashes_are_not_separators", "C:/tools/drvplant.exe", "dev.inf", {}, true, "dev.inf"},
    {"last_backslash_wins", "\\\\server\\share\\bin\\drvplant.exe", "dev.inf", {}, true,
     "\\\\server\\share\\bin\\dev.inf"},
    {"empty_program_name", "", "dev.inf", {}, true, "dev.inf"},
    {"trail_byte_0x5c_is_no_separator", "C:\\t\\\x95\x5C.exe", "dev.inf", CodePage932LeadBytes(),
     true, "C:\\t\\dev.inf"},
    {"byte_0x5c_after_0x95_splits_under_a_single_byte_page", "C:\\t\\\x95\x5C.exe", "dev.inf", {},
     true, "C:\\t\\\x95\\dev.inf"},
    {"double_byte_directory_name", "C:\\\x95\x5C\\drvplant.exe", "dev.inf", CodePage932LeadBytes(),
     true, "C:\\\x95\x5C\\dev.inf"},
    {"exactly_fills_the_buffer", kDirectory + "drvplant.exe", kLongest, {}, true, kDirectory + kLongest},
    {"one_byte_too_many", kDirectory + "drvplant.exe", kLongest + "a", {}, false, ""},
    {"far_too_long", kDirectory + "drvplant.exe", std::string(5000, 'a'), {}, false, ""},
};

class ComposeInfPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(ComposeInfPathTest, DirectoryOfTheProgramThenTheInfName)
{
    const PathCase &c = GetParam();
    World w;
    w.leadBytes = c.leadBytes;
    WorldScope scope(w);
    std::string path(kInfPathSize + 16, '#');
    EXPECT_EQ(c.fits, (bool)ComposeInfPath(c.program.c_str(), c.infFile.c_str(), &path[0]));
    if (c.fits) {
        EXPECT_EQ(c.path, path.c_str());
    }
    EXPECT_EQ(std::string(16, '#'), path.substr(kInfPathSize)) << "wrote past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Table, ComposeInfPathTest, testing::ValuesIn(kPathCases), RowName());

struct SameCase {
    const char *name;
    const char *left, *right;
    bool doubleByte, same;
};
PRINTS_AS_NAME(SameCase)

static const SameCase kSameCases[] = {
    {"equal", "ROOT\\SAMPLEDEV", "ROOT\\SAMPLEDEV", false, true},
    {"case_differs", "ROOT\\SAMPLEDEV", "ROOT\\SAMPLEDEv", false, false},
    {"left_is_a_prefix", "ROOT\\SAMPLE", "ROOT\\SAMPLEDEV", false, false},
    {"right_is_a_prefix", "ROOT\\SAMPLEDEV", "ROOT\\SAMPLE", false, false},
    {"both_empty", "", "", false, true},
    {"one_empty", "", "A", false, false},
    {"double_byte_equal", "\x82\x61", "\x82\x61", true, true},
    {"double_byte_trail_differs", "\x82\x61", "\x82\x41", true, false},
    // A lead byte with nothing after it ends the string.
    {"lone_lead_byte_on_the_right_ends_it", "ROOT\\X", "ROOT\\X\x82", true, true},
    {"lone_lead_byte_on_the_left_ends_it", "ROOT\\X\x82", "ROOT\\X", true, true},
    {"no_lead_bytes_under_a_single_byte_page", "ROOT\\X", "ROOT\\X\x82", false, false},
};

class SameTextTest : public testing::TestWithParam<SameCase> {};

TEST_P(SameTextTest, ComparesWholeCharacters)
{
    const SameCase &c = GetParam();
    World w;
    if (c.doubleByte)
        w.leadBytes = CodePage932LeadBytes();
    WorldScope scope(w);
    EXPECT_EQ(c.same, (bool)SameText(c.left, c.right));
}

INSTANTIATE_TEST_SUITE_P(Table, SameTextTest, testing::ValuesIn(kSameCases), RowName());
