// The one table of what a Wine cannot show, and why: the gap, the Wine versions it holds
// under (a prefix of wine_get_version's text), what cannot be shown, and the reason.
#include "kit.h"

#include <string.h>

static const struct {
    enum Gap gap;
    const char *wine, *what, *why;
} kGaps[] = {
    {kGapRemovingPublishedCopy, "10.", "removing a published copy",
     "its SetupUninstallOEMInfW looks a driver package up by the name it is given, so for a "
     "published oemN.inf it fails with 2, forced or not; Windows finds the package behind the "
     "published name"},
    {kGapOriginalInfName, "8.", "another version told by its original INF name",
     "its SetupQueryInfOriginalFileInformationW answers the published copy's own name "
     "(oemN.inf), so no published copy has test.inf's original name; Windows keeps the name "
     "the INF had"},
};

const char *WineVersion(void)
{
    typedef const char *(__cdecl * GetVersionText)(void);
    GetVersionText get = (GetVersionText)(void (*)(void))GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                                        "wine_get_version");
    return get != NULL ? get() : "none";
}

int FindGap(enum Gap gap, const char **what, const char **why)
{
    for (size_t i = 0; i < COUNT(kGaps); i++)
        if (kGaps[i].gap == gap && strncmp(WineVersion(), kGaps[i].wine, strlen(kGaps[i].wine)) == 0) {
            *what = kGaps[i].what;
            *why = kGaps[i].why;
            return 1;
        }
    return 0;
}
