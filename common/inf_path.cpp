#include "common/common.h"

BOOL ComposeInfPath(const WCHAR *program, const WCHAR *infFile, WCHAR *path)
{
    // In UTF-16 a backslash is one unit that no other character contains.
    int directory = 0;
    for (int at = 0; program[at] != 0; at++)
        if (program[at] == '\\')
            directory = at + 1;
    if (directory + lstrlenW(infFile) >= kInfPathSize)
        return FALSE;
    lstrcpynW(path, program, directory + 1);
    lstrcatW(path, infFile);
    return TRUE;
}
