// What the unit tests and the fuzzer expect, in one place: the machine they describe
// (where the program and its INF sit, the wizard titles it closes) and every
// line a run prints, word for word, CR LF as text mode writes it.
#pragma once

#include "standin.h"

#include <stdio.h>

#include <map>
#include <string>

inline constexpr char kProgram[] = "C:\\tools\\drvplant.exe";
inline constexpr char kRemover[] = "C:\\tools\\drvremove.exe";
inline constexpr char16_t kInfPath[] = u"C:\\tools\\dev.inf";
// An INF as packages have them: dev.inf's bytes.
inline const std::string kDevInf =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\nClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
    "Provider=%Vendor%\r\nDriverVer=12/07/2026,1.0.0.0\r\n[Strings]\r\nVendor=\"Contoso\"\r\n";
inline constexpr char16_t kEnglishWizard[] = u"Found New Hardware Wizard";
inline constexpr char16_t kChineseWizard[] = u"\u627E\u5230\u65B0\u7684\u786C\u4EF6\u5411\u5BFC";

// A multi-string from its strings, with the empty string that ends it.
inline std::string MultiString(std::initializer_list<std::string> strings)
{
    std::string bytes;
    for (const std::string &s : strings)
        bytes += s + '\0';
    return bytes + '\0';
}

inline Device Ids(std::initializer_list<std::string> strings)
{
    return {true, MultiString(strings)};
}

inline const Device kNoIds = {false, ""};

// A present device as the configuration manager sees it: its DN_* status, its problem.
inline Device WithStatus(Device device, ULONG status, ULONG problem, std::string instanceId)
{
    device.status = status;
    device.problem = problem;
    device.instanceId = std::move(instanceId);
    return device;
}

// The machine that every suite starts from, stating only what differs: both programs and
// dev.inf in C:\tools, the current folder; two present devices, the second carrying the
// sample ID in lower case, as Wine stores a root device's.
inline World UsualMachine()
{
    World w;
    w.files = {{kInfPath, kDevInf}};
    w.devices = {Ids({"PCI\\VEN_8086"}), Ids({"root\\sampledev", "ROOT\\OTHER"})};
    return w;
}

// The release archive unpacked in C:\setup on 64-bit Windows, the x86 exe doing the run,
// the x64 one beside it and dev.inf beside the x86 one.
inline constexpr char kArchiveProgram[] = "C:\\setup\\x86\\drvplant.exe";
inline constexpr char kNativeExe[] = "C:\\setup\\x64\\drvplant.exe";
inline World ArchiveOnX64()
{
    World w = UsualMachine();
    w.files = {{u"C:\\setup\\x86\\dev.inf", kDevInf}, {Widened(kNativeExe), "MZ"}};
    w.nativeMachine = IMAGE_FILE_MACHINE_AMD64;
    w.imagePath = Widened(kArchiveProgram);
    w.startedStatus = 1;
    return w;
}

inline constexpr char kUsage[] = "usage: drvplant <INF_File> <Hardware_ID>\r\n";
inline constexpr char kCreateUsage[] = "usage: drvcreate <INF_File> <Hardware_ID>\r\n";
inline constexpr char kSuccess[] = "Driver Installed successfully.\r\n";
inline std::string SearchLine(const std::string &id) { return "Search for Device ID: [" + id + "]\r\n"; }
inline std::string CompareLine(const std::string &id) { return "Compare device ID: [" + id + "]\r\n"; }
inline std::string FoundLine(const std::string &id) { return "Found! [" + id + "]\r\n"; }

// The report's form for a code without a text (or whose text could not be had).
inline std::string HexReportLine(const char *label, DWORD code)
{
    char hex[32];
    snprintf(hex, sizeof hex, "(0x%08x)\r\n", (unsigned)code);
    return std::string(label) + " FAILURE: " + hex;
}

// How the system text for each code the usual machine has reaches the output after a
// report's label: the text's own CR LF and the report's line end, each LF as CR LF.
inline const std::map<DWORD, std::string> kPrintedTexts = {
    {ERROR_ACCESS_DENIED, "Access is denied.\r\r\n\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\r\n\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\r\n\r\n"},
    {ERROR_INVALID_DATA, "The data is invalid.\r\r\n\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\r\n\r\n"},
    {ERROR_NO_MORE_ITEMS, "No more data available.\r\r\n\r\n"},
    {ERROR_SUCCESS, "The operation completed successfully.\r\r\n\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\r\n\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\r\n\r\n"},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\r\n\r\n"},
};

// The line that reports a failure of label with code: with the system's text where machine
// w has one, else the code in hexadecimal.
inline std::string ReportLine(const char *label, DWORD code, const World &w = UsualMachine())
{
    auto text = kPrintedTexts.find(code);
    return text != kPrintedTexts.end() && w.texts.count(code) != 0
               ? std::string(label) + " FAILURE: " + text->second
               : HexReportLine(label, code);
}
