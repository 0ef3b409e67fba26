// recorder: stands in for drvplant.exe or drvremove.exe where Wine cannot show what the
// caller must handle, or where a test must see what an exe was handed. It writes its
// command line and current folder, in UTF-8, one a line, to the file that RECORD_TO names
// (when set), writes "recorder ran" to its standard output, and ends with the status that
// EXIT_STATUS holds (decimal, or hexadecimal after 0x), 1 without it: 3010, say, or
// SetupAPI codes such as 0xE000023D that read as negative numbers.
#include "kit.h"

#include <stdlib.h>

static void WriteUtf8(HANDLE file, const wchar_t *text)
{
    static char bytes[65536];
    DWORD written;
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    if (length > 0)
        WriteFile(file, bytes, (DWORD)length - 1, &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
}

int main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    static wchar_t recordTo[MAX_PATH], folder[MAX_PATH];
    DWORD written;
    if (GetEnvironmentVariableW(L"RECORD_TO", recordTo, MAX_PATH) != 0) {
        HANDLE record = CreateFileW(recordTo, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        GetCurrentDirectoryW(MAX_PATH, folder);
        WriteUtf8(record, GetCommandLineW());
        WriteUtf8(record, folder);
        CloseHandle(record);
    }
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "recorder ran\r\n", 14, &written, NULL);
    const char *status = getenv("EXIT_STATUS");
    return status ? (int)strtoul(status, NULL, 0) : 1;
}
