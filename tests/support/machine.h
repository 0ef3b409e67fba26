// The machine the unit tests and the fuzzer describe: where the program and its INF sit,
// the lines it prints word for word, and the wizard titles it closes (ANSI bytes).
#pragma once

inline constexpr char kProgram[] = "C:\\tools\\drvplant.exe";
inline constexpr char16_t kInf[] = u"C:\\tools\\dev.inf";
inline constexpr char kUsage[] = "usage: drvplant <INF_File> <Hardware_ID>\r\n";
inline constexpr char kSuccess[] = "Driver Installed successfully.\r\n";
inline constexpr char kEnglishWizard[] = "Found New Hardware Wizard";
inline constexpr char kChineseWizard[] =
    "\xD5\xD2\xB5\xBD\xD0\xC2\xB5\xC4\xD3\xB2\xBC\xFE\xCF\xF2\xB5\xBC";
