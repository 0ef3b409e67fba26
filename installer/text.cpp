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
