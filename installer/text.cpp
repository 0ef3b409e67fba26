#include "installer/installer.h"

// Bytes in the character at text: 0 at the end. A lead byte with nothing after it ends
// the string, as the system's multibyte routines treat it.
static int CharacterLength(const char *text)
{
    if (*text == '\0')
        return 0;
    if (IsDBCSLeadByte((BYTE)*text))
        return text[1] != '\0' ? 2 : 0;
    return 1;
}

BOOL ComposeInfPath(const char *program, const char *infFile, char *path)
{
    // Step by characters: under a double-byte code page a trail byte can be 0x5C
    // without being a separator.
    int directory = 0;
    int length;
    for (const char *at = program; (length = CharacterLength(at)) > 0; at += length)
        if (*at == '\\')
            directory = (int)(at - program) + 1;
    if (directory + lstrlenA(infFile) >= kInfPathSize)
        return FALSE;
    lstrcpynA(path, program, directory + 1);
    lstrcatA(path, infFile);
    return TRUE;
}

BOOL SameText(const char *left, const char *right)
{
    for (;;) {
        int length = CharacterLength(left);
        if (length != CharacterLength(right))
            return FALSE;
        if (length == 0)
            return TRUE;
        for (int i = 0; i < length; i++)
            if (left[i] != right[i])
                return FALSE;
        left += length;
        right += length;
    }
}
