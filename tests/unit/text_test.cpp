#include "unit.h"

struct PathCase {
    const char *name;
    std::u16string program, infFile;
    bool fits;
    std::u16string path;
};
PRINTS_AS_NAME(PathCase)

static const std::u16string kDirectory = u"C:\\tools\\";
static const std::u16string kLongest(1023 - kDirectory.size(), u'a'); // fills the buffer exactly

static const PathCase kPathCases[] = {
    {"beside_the_program", u"C:\\tools\\drvplant.exe", u"dev.inf", true, u"C:\\tools\\dev.inf"},
    {"sub_directory", u"C:\\tools\\drvplant.exe", u"sub\\dev.inf", true, u"C:\\tools\\sub\\dev.inf"},
    {"absolute_inf_still_appended", u"C:\\tools\\drvplant.exe", u"D:\\dev.inf", true,
     u"C:\\tools\\D:\\dev.inf"},
    // Without a directory of its own the INF is the current folder's, named in full.
    {"no_backslash", u"drvplant", u"dev.inf", true, u"C:\\tools\\dev.inf"},
    {"forward_slashes_are_not_separators", u"C:/setup/drvplant.exe", u"dev.inf", true,
     u"C:\\tools\\dev.inf"},
    {"dots_folded", u"C:\\tools\\bin\\drvplant.exe", u"..\\.\\drv\\dev.inf", true,
     u"C:\\tools\\drv\\dev.inf"},
    {"empty_inf_file_names_the_folder", u"C:\\tools\\drvplant.exe", u"", true, u"C:\\tools\\"},
    {"last_backslash_wins", u"\\\\server\\share\\bin\\drvplant.exe", u"dev.inf", true,
     u"\\\\server\\share\\bin\\dev.inf"},
    {"empty_program_name", u"", u"dev.inf", true, u"C:\\tools\\dev.inf"},
    {"nothing_at_all", u"", u"", false, u""},
    // Code page 932 writes this name's character with a second byte of 0x5C.
    {"a_name_whose_ansi_trail_byte_is_0x5c", u"C:\\t\\\u8868.exe", u"dev.inf", true, u"C:\\t\\dev.inf"},
    {"a_folder_no_ansi_code_page_holds", u"C:\\\u0938\u0947\u091F\u0905\u092A\\drv\\drvplant.exe",
     u"dev.inf", true, u"C:\\\u0938\u0947\u091F\u0905\u092A\\drv\\dev.inf"},
    {"exactly_fills_the_buffer", kDirectory + u"drvplant.exe", kLongest, true, kDirectory + kLongest},
    {"one_unit_too_many", kDirectory + u"drvplant.exe", kLongest + u"a", false, u""},
    {"far_too_long", kDirectory + u"drvplant.exe", std::u16string(5000, u'a'), false, u""},
    // It fits as composed; the current folder before it does not.
    {"too_long_in_full", u"drvplant", kLongest + u"a", false, u""},
};

class ComposeInfPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(ComposeInfPathTest, DirectoryOfTheProgramThenTheInfName)
{
    const PathCase &c = GetParam();
    World w;
    WorldScope scope(w);
    std::u16string path(kInfPathSize + 16, u'#');
    EXPECT_EQ(c.fits, (bool)ComposeInfPath(c.program.c_str(), c.infFile.c_str(), &path[0]));
    if (c.fits) {
        EXPECT_EQ(c.path, path.c_str());
    }
    EXPECT_EQ(std::u16string(16, u'#'), path.substr(kInfPathSize)) << "wrote past the buffer";
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
