#include "common/common.h"

static WCHAR Folded(WCHAR unit)
{
    return unit >= 'a' && unit <= 'z' ? (WCHAR)(unit - 'a' + 'A') : unit;
}

BOOL SameIgnoringCase(const WCHAR *left, const WCHAR *right)
{
    for (; *left != 0 && Folded(*left) == Folded(*right); left++, right++)
        ;
    return Folded(*left) == Folded(*right);
}
