// Checks that name their caller's line and case, cases of the groups that groups.list lists,
// and text that grows; and the entry of every kit program.
#include "kit.h"

#include <stdlib.h>
#include <string.h>

static int checks, failures, knownFailures;
// The case that runs, as Wine's tests push a context: every failure names it.
static const char *caseGroup = "", *caseFilter, *caseName;
// The group's cases that groups.list names and the filter picks, as run.sh hands them over
// (" name name "); each goes when it runs.
static char listed[8192] = " ";
static int failuresBefore, casesUnlisted;
// The gap that the marked check falls in under this Wine, if any; the one the case met.
static const char *gapWhat, *gapWhy;
static enum Gap openGap, caseGap;

// The shared start-up hands over the UTF-16 vector; the kit's programs read ANSI.
int main(int argc, char **argv);
int wmain(int argc, wchar_t **wide)
{
    char **argv = (char **)calloc((size_t)argc + 1, sizeof *argv);
    for (int i = 0; i < argc; i++) {
        int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, NULL, 0, NULL, NULL);
        argv[i] = (char *)calloc((size_t)size + 1, 1);
        WideCharToMultiByte(CP_ACP, 0, wide[i], -1, argv[i], size, NULL, NULL);
    }
    return main(argc, argv);
}

int CheckCounted(int ok, WHERE)
{
    checks++;
    if (ok && gapWhat == NULL)
        return ok;
    printf("%s:%d: %s/%s: ", file, line, caseGroup, caseName ? caseName : "-");
    if (gapWhat == NULL) {
        failures++;
        printf("check failed: ");
    } else if (ok) {
        failures++;
        printf("check passed in the known gap \"%s\" of Wine %s: the gap has closed, take it "
               "out of the table\n", gapWhat, WineVersion());
    } else {
        knownFailures++;
        caseGap = openGap;
        printf("check failed as known (%s): ", gapWhat);
    }
    return ok;
}

int BeginGap(enum Gap gap)
{
    openGap = FindGap(gap, &gapWhat, &gapWhy) ? gap : kNoGap;
    return 1;
}

int EndGap(void)
{
    gapWhat = NULL;
    return 0;
}

void CheckBytesAt(const char *expected, const char *actual, const char *what, WHERE)
{
    if (CheckCounted(strcmp(expected, actual) == 0, file, line))
        return;
    printf("%s\n", what);
    for (int side = 0; side < 2; side++) {
        printf(side == 0 ? "  expected: \"" : "\"\n  actual:   \"");
        for (const unsigned char *at = (const unsigned char *)(side == 0 ? expected : actual); *at; at++)
            printf(*at == '\r' ? "\\r" : *at == '\n' ? "\\n" : *at < 0x20 || *at >= 0x7f ? "\\x%02X" : "%c", *at);
    }
    printf("\"\n");
}

int CheckSummary(const char *group)
{
    printf("%s: %d checks, %d failed", group, checks, failures);
    if (knownFailures != 0)
        printf(", %d failed as known under Wine %s", knownFailures, WineVersion());
    printf("\n");
    return failures == 0 ? 0 : 1;
}

// Takes name out of the listed cases; 0 when it was not among them.
static int TakeListed(const char *name)
{
    char word[160] = " ";
    lstrcpynA(word + 1, name, sizeof word - 2);
    char *at = strstr(listed, lstrcatA(word, " "));
    if (at != NULL)
        memset(at + 1, ' ', strlen(name));
    return at != NULL;
}

int RunGroup(int argc, char **argv, const Group *groups, size_t count)
{
    static wchar_t exe[MAX_PATH];
    for (size_t i = 0; argc == 5 && i < count; i++)
        if (strcmp(argv[1], groups[i].name) == 0) {
            caseGroup = groups[i].name;
            caseFilter = argv[3][0] != '\0' ? argv[3] : NULL;
            lstrcpynA(listed + 1, argv[4], sizeof listed - 2);
            lstrcatA(listed, " ");
            MultiByteToWideChar(CP_ACP, 0, argv[2], -1, exe, MAX_PATH);
            groups[i].run(exe);
            const char *left = listed;
            while (*left == ' ')
                left++;
            check(casesUnlisted == 0 && *left == '\0',
                  "%d cases not in groups.list ran; listed, not run: %s", casesUnlisted, left);
            return CheckSummary(caseGroup);
        }
    printf("usage: %s <group> <exe> <case> <its listed cases>, with a group that it runs\n",
           argv[0]);
    return 2;
}

int BeginCase(const char *name)
{
    if (caseFilter != NULL && strstr(name, caseFilter) == NULL)
        return 0;
    if (!TakeListed(name)) {
        casesUnlisted++;
        printf("%s/%s is not in groups.list\n", caseGroup, name);
    }
    caseName = name;
    caseGap = kNoGap;
    failuresBefore = failures;
    return 1;
}

int EndCase(void)
{
    const char *what, *why;
    if (failures != failuresBefore)
        printf("FAIL %s/%s\n", caseGroup, caseName);
    else if (FindGap(caseGap, &what, &why))
        printf("gap  %s/%s: Wine %s cannot show %s: %s\n", caseGroup, caseName, WineVersion(), what, why);
    else
        printf("ok   %s/%s\n", caseGroup, caseName);
    caseName = NULL;
    return 0;
}

void TextClear(Text *text)
{
    text->length = 0;
    text->bytes[0] = '\0';
}

void TextAppend(Text *text, const char *bytes)
{
    size_t length = strlen(bytes);
    if (length > sizeof text->bytes - 1 - text->length)
        length = sizeof text->bytes - 1 - text->length;
    memcpy(text->bytes + text->length, bytes, length);
    text->length += length;
    text->bytes[text->length] = '\0';
}
