#include "installer/installer.h"
#include "world_scope.h"

struct PathCase {
    const char *name;
    std::string program, infFile;
    std::set<unsigned char> leadBytes;
    bool fits;
    std::string path;
};

TEST(ComposeInfPath, DirectoryOfTheProgramThenTheInfName)
{
    const std::string directory = "C:\\tools\\";
    const std::string longest(1023 - directory.size(), 'a'); // fills the buffer exactly
    const PathCase cases[] = {
        {"beside the program", "C:\\tools\\drvplant.exe", "dev.inf", {}, true, "C:\\tools\\dev.inf"},
        {"sub-directory", "C:\\tools\\drvplant.exe", "sub\\dev.inf", {}, true, "C:\\tools\\sub\\dev.inf"},
        {"absolute INF still appended", "C:\\tools\\drvplant.exe", "D:\\dev.inf", {}, true,
         "C:\\tools\\D:\\dev.inf"},
        {"no backslash", "drvplant", "dev.inf", {}, true, "dev.inf"},
        {"forward slashes are not separators", "C:/tools/drvplant.exe", "dev.inf", {}, true, "dev.inf"},
        {"last backslash wins", "\\\\server\\share\\bin\\drvplant.exe", "dev.inf", {}, true,
         "\\\\server\\share\\bin\\dev.inf"},
        {"empty program name", "", "dev.inf", {}, true, "dev.inf"},
        {"trail byte 0x5C is no separator", "C:\\t\\\x95\x5C.exe", "dev.inf", CodePage932LeadBytes(),
         true, "C:\\t\\dev.inf"},
        {"0x5C after 0x95 splits under a single-byte page", "C:\\t\\\x95\x5C.exe", "dev.inf", {}, true,
         "C:\\t\\\x95\\dev.inf"},
        {"double-byte directory name", "C:\\\x95\x5C\\drvplant.exe", "dev.inf", CodePage932LeadBytes(),
         true, "C:\\\x95\x5C\\dev.inf"},
        {"exactly fills the buffer", directory + "drvplant.exe", longest, {}, true, directory + longest},
        {"one byte too many", directory + "drvplant.exe", longest + "a", {}, false, ""},
        {"far too long", directory + "drvplant.exe", std::string(5000, 'a'), {}, false, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const PathCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
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
}

struct SameCase {
    const char *left, *right;
    bool doubleByte, same;
};

TEST(SameText, ComparesWholeCharacters)
{
    const SameCase cases[] = {
        {"ROOT\\SAMPLEDEV", "ROOT\\SAMPLEDEV", false, true},
        {"ROOT\\SAMPLEDEV", "ROOT\\SAMPLEDEv", false, false},
        {"ROOT\\SAMPLE", "ROOT\\SAMPLEDEV", false, false},
        {"ROOT\\SAMPLEDEV", "ROOT\\SAMPLE", false, false},
        {"", "", false, true},
        {"", "A", false, false},
        {"\x82\x61", "\x82\x61", true, true},
        {"\x82\x61", "\x82\x41", true, false},
        // A lead byte with nothing after it ends the string.
        {"ROOT\\X", "ROOT\\X\x82", true, true},
        {"ROOT\\X\x82", "ROOT\\X", true, true},
        {"ROOT\\X", "ROOT\\X\x82", false, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const SameCase &c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": [" << c.left << "] [" << c.right << "]");
        World w;
        if (c.doubleByte)
            w.leadBytes = CodePage932LeadBytes();
        WorldScope scope(w);
        EXPECT_EQ(c.same, (bool)SameText(c.left, c.right));
    }
}
