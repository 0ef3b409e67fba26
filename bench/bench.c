/* Times full runs of drvplant.exe against the reference program in the current Wine
 * prefix: devices/2 present devices with two hardware IDs each, then devices, each run
 * walking them all and pre-installing. Pairs alternate which program goes first.
 * Usage: bench <C:\dir\drvplant.exe> <C:\dir\reference.exe> <devices> <pairs>, with the
 * sample INF drvplant-demo.inf beside both programs. */
#include "kit.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static const wchar_t kLanded[] = L"C:\\windows\\inf\\drvplant-demo.inf";

enum { kMostPairs = 1000 };

static int Ascending(const void *a, const void *b)
{
    double left = *(const double *)a, right = *(const double *)b;
    return (left > right) - (left < right);
}

static double Median(double *values, int count)
{
    qsort(values, (size_t)count, sizeof *values, Ascending);
    int middle = count / 2;
    return count % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

static double Seconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static double TimeRun(const wchar_t *program, RunOutcome *outcome)
{
    wchar_t line[MAX_PATH + 64] = L"\"";
    DeleteFileW(kLanded); /* each run pre-installs into the same empty place */
    wcscat(line, program);
    wcscat(line, L"\" drvplant-demo.inf BENCH\\ABSENT");
    double start = Seconds();
    RunExact(program, line, L"C:\\", kOutputToFile, NULL, outcome);
    return Seconds() - start;
}

static void AddDevices(int from, int to)
{
    for (int i = from; i < to; i++) {
        char ids[64];
        int length = sprintf(ids, "BENCH\\DEV_%04d%cBENCH\\DEV_%04d&REV_01%c", i, '\0', i, '\0');
        CreatePresentDevice(ids, (size_t)length);
    }
}

// Returns the median of drvplant's times.
static double Measure(const wchar_t *drvplant, const wchar_t *reference, int devices, int pairs)
{
    static double ours[kMostPairs], theirs[kMostPairs], ratios[kMostPairs];
    static RunOutcome a, b;
    for (int pair = 0; pair < pairs; pair++) {
        /* Alternate which goes first. */
        if (pair % 2 == 0) {
            ours[pair] = TimeRun(drvplant, &a);
            theirs[pair] = TimeRun(reference, &b);
        } else {
            theirs[pair] = TimeRun(reference, &b);
            ours[pair] = TimeRun(drvplant, &a);
        }
        check(a.status == 0 && b.status == 0, "statuses %lu and %lu", a.status, b.status);
        check_bytes(a.out.bytes, b.out.bytes, "the reference's lines against drvplant's");
        ratios[pair] = ours[pair] / theirs[pair];
        printf("%4d devices, pair %d: drvplant %.3f s, reference %.3f s, ratio %.3f\n", devices,
               pair + 1, ours[pair], theirs[pair], ratios[pair]);
    }
    double median = Median(ours, pairs);
    printf("%4d devices: median drvplant %.3f s, reference %.3f s; median ratio %.3f\n", devices,
           median, Median(theirs, pairs), Median(ratios, pairs));
    return median;
}

int main(int argc, char **argv)
{
    static wchar_t drvplant[MAX_PATH], reference[MAX_PATH];
    int devices = argc == 5 ? atoi(argv[3]) : 0, pairs = argc == 5 ? atoi(argv[4]) : 0;
    if (argc != 5 || devices < 2 || pairs < 1 || pairs > kMostPairs) {
        printf("usage: bench <drvplant.exe> <reference.exe> <devices, 2 or more> <pairs, 1 to %d>\n",
               kMostPairs);
        return 2;
    }
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, drvplant, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, reference, MAX_PATH);
    AddDevices(0, devices / 2);
    double half = Measure(drvplant, reference, devices / 2, pairs);
    AddDevices(devices / 2, devices);
    double whole = Measure(drvplant, reference, devices, pairs);
    printf("growth: %d devices %.3f s, %d devices %.3f s (x%.2f)\n", devices / 2, half, devices,
           whole, whole / half);
    return CheckSummary("bench");
}
