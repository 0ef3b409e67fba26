// Times full runs of drvplant.exe against the reference program in the current Wine
// prefix: devices/2 present devices with two hardware IDs each, then devices, each run
// walking them all and pre-installing. Pairs alternate which program goes first.
// Usage: bench <C:\dir\drvplant.exe> <C:\dir\reference.exe> <devices> <pairs>, with the
// sample INF drvplant-demo.inf beside both programs.
#include "../wine/kit.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>

static const wchar_t kLanded[] = L"C:\\windows\\inf\\drvplant-demo.inf";

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

static double Seconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

struct Timed {
    double seconds;
    Outcome outcome;
};

static Timed TimeRun(const std::wstring &program)
{
    DeleteFileW(kLanded); // each run pre-installs into the same empty place
    std::wstring line = L"\"" + program + L"\" drvplant-demo.inf BENCH\\ABSENT";
    double start = Seconds();
    Outcome outcome = RunExact(program, line, L"C:\\", kOutputToFile);
    return {Seconds() - start, outcome};
}

static void AddDevices(int from, int to)
{
    for (int i = from; i < to; i++) {
        char ids[64];
        int length = snprintf(ids, sizeof ids, "BENCH\\DEV_%04d%cBENCH\\DEV_%04d&REV_01%c", i,
                              '\0', i, '\0');
        CreatePresentDevice(std::string(ids, (size_t)length));
    }
}

// Returns the median of drvplant's times.
static double Measure(const std::wstring &drvplant, const std::wstring &reference, int devices,
                      int pairs)
{
    std::vector<double> ours, theirs, ratios;
    for (int pair = 0; pair < pairs; pair++) {
        bool oursFirst = pair % 2 == 0;
        Timed first = TimeRun(oursFirst ? drvplant : reference);
        Timed second = TimeRun(oursFirst ? reference : drvplant);
        const Timed &a = oursFirst ? first : second, &b = oursFirst ? second : first;
        check(a.outcome.status == 0 && b.outcome.status == 0, "statuses %lu and %lu",
              a.outcome.status, b.outcome.status);
        check_bytes(a.outcome.out, b.outcome.out, "the reference's lines against drvplant's");
        ours.push_back(a.seconds);
        theirs.push_back(b.seconds);
        ratios.push_back(a.seconds / b.seconds);
        printf("%4d devices, pair %d: drvplant %.3f s, reference %.3f s, ratio %.3f\n", devices,
               pair + 1, a.seconds, b.seconds, a.seconds / b.seconds);
    }
    printf("%4d devices: median drvplant %.3f s, reference %.3f s; median ratio %.3f\n", devices,
           Median(ours), Median(theirs), Median(ratios));
    return Median(ours);
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 5) {
        printf("usage: bench <drvplant.exe> <reference.exe> <devices> <pairs>\n");
        return 2;
    }
    int devices = _wtoi(argv[3]), pairs = _wtoi(argv[4]);
    AddDevices(0, devices / 2);
    double half = Measure(argv[1], argv[2], devices / 2, pairs);
    AddDevices(devices / 2, devices);
    double whole = Measure(argv[1], argv[2], devices, pairs);
    printf("growth: %d devices %.3f s, %d devices %.3f s (x%.2f)\n", devices / 2, half, devices,
           whole, whole / half);
    return CheckSummary("bench");
}
