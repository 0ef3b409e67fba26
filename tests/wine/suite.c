// suite <group> <drvplant.exe> <case> <cases>, in the group's locale: drvplant's groups are
// in drvplant_cases.c, drvremove's in drvremove_cases.c, drvcreate's in drvcreate_cases.c.
#include "kit.h"

void EnglishCases(const wchar_t *drvplant), ChineseCases(const wchar_t *drvplant),
    JapaneseCases(const wchar_t *drvplant), RemovalCases(const wchar_t *drvplant),
    HandoffCases(const wchar_t *drvplant), HandoffRemovalCases(const wchar_t *drvplant),
    ListingCases(const wchar_t *drvplant), CreationCases(const wchar_t *drvplant);

int main(int argc, char **argv)
{
    static const Group groups[] = {{"english", EnglishCases}, {"chinese", ChineseCases},
                                   {"japanese", JapaneseCases}, {"removal", RemovalCases},
                                   {"listing", ListingCases},
                                   {"handoff", HandoffCases}, {"handoff_removal", HandoffRemovalCases},
                                   {"creation", CreationCases}};
    return RunGroup(argc, argv, groups, COUNT(groups));
}
