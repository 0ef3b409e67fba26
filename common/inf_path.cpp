#include "common/common.h"

BOOL ComposeInfPath(const WCHAR *program, const WCHAR *infFile, WCHAR *path)
{
    WCHAR composed[kInfPathSize];
    // In UTF-16 a backslash is one unit that no other character contains.
    int directory = 0;
    for (int at = 0; program[at] != 0; at++)
        if (program[at] == '\\')
            directory = at + 1;
    if (directory + lstrlenW(infFile) >= kInfPathSize)
        return FALSE;
    lstrcpynW(composed, program, directory + 1);
    lstrcatW(composed, infFile);
    // Windows takes an INF by its full path: given a relative one, the copy refuses it and
    // the forced update installs nothing, yet may answer success.
    DWORD length = GetFullPathNameW(composed, kInfPathSize, path, NULL);
    return length != 0 && length < kInfPathSize;
}
