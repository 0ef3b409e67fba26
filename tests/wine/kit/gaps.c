// The one table of what a Wine cannot show, and why: the gap, the Wine versions it holds
// under (a prefix of wine_get_version's text), what cannot be shown, and the reason.
#include "kit.h"

#include <string.h>

#define kDeviceStatusWhat "a device's problem or restart after a forced install"
#define kDeviceStatusWhy                                                                      \
    "its CM_Get_DevNode_Status answers CR_SUCCESS with status 0 and problem 0 for every "    \
    "device, so every forced device looks well and the exes' lines and statuses stay as "    \
    "before; the unit tests show the rest"

#define kOriginalNameWhat "another version told by its original INF name"
#define kOriginalNameWhy                                                                      \
    "the second version's published copy is not found as test.inf's: only the copy of the " \
    "same bytes is named (measured); Windows keeps the name each version had"

static const struct {
    enum Gap gap;
    const char *wine, *what, *why;
} kGaps[] = {
    {kGapRemovingPublishedCopy, "10.", "removing a published copy",
     "its SetupUninstallOEMInfW looks a driver package up by the name it is given, so for a "
     "published oemN.inf it fails with 2, forced or not; Windows finds the package behind the "
     "published name"},
    {kGapDeviceStatus, "8.", kDeviceStatusWhat, kDeviceStatusWhy},
    {kGapDeviceStatus, "10.", kDeviceStatusWhat, kDeviceStatusWhy},
    {kGapOriginalInfName, "8.", kOriginalNameWhat, kOriginalNameWhy},
    {kGapOriginalInfName, "10.", kOriginalNameWhat, kOriginalNameWhy},
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
