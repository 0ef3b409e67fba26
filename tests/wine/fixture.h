/* The suite's fixture, which drvplant's cases (drvplant_cases.c) and drvremove's
 * (drvremove_cases.c) share: the files and devices that cases start from, taking away
 * what a case leaves, and starting a program. */
#pragma once

#include "kit.h"

#define SUITE L"C:\\suite"
#define DRVPLANT SUITE L"\\drvplant.exe"
#define CYRILLIC L"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup"
#define CHINESE L"C:\\\u5B89\u88C5"
#define DEVANAGARI L"C:\\\u0938\u0947\u091F\u0905\u092A\\drv"
/* Best fit reads it as C:\Lukasz\s, a folder that any user may make. */
#define LOOK_ALIKE L"C:\\\u0141ukasz\\s"
#define PLANTED L"C:\\planted"
#define PLANTED_OLD L"C:\\planted-old"
#define JAPANESE L"C:\\dbcs\\\u8868.exe"
/* Where SetupCopyOEMInfW publishes copies. */
#define INF_FOLDER_PATH L"C:\\windows\\inf"

/* The suite's INF, and the same INF with another registry key: one that somebody else
 * placed. drvplant.exe, drvremove.exe, test.inf and bad.inf (no INF at all) sit in each
 * folder above, but for drvplant.exe as JAPANESE, alone. */
extern const char kInfBytes[], kDecoyInfBytes[];
#define INSTALL_KEY "Software\\drvplant-suite" /* below HKLM, as kInfBytes installs */
/* Names of system DLLs planted beside the exes; each leaves a mark in C:\marks if loaded. */
extern const wchar_t *const kPlantedNames[];

/* Places the files, with drvremove.exe and drvplant_old_loader.exe taken from beside
 * drvplant, and makes the suite's devices present unless they are. */
void PrepareSuiteAt(const wchar_t *drvplant, WHERE);
#define PrepareSuite(drvplant) PrepareSuiteAt((drvplant), AT)

/* One start of a program. Left out: DRVPLANT; the program alone; SUITE. */
typedef struct {
    const wchar_t *program;     /* the file started */
    const wchar_t *commandLine; /* exact, element 0 included */
    const wchar_t *directory;   /* the current one */
} Start;
/* folder\exe, by its quoted full path, from folder. */
#define START(folder, exe, arguments) \
    {folder L"\\" exe, L"\"" folder L"\\" exe L"\" " arguments, folder}
void RunStartAt(Start start, enum StandardOutput output, int hidden, RunOutcome *run, WHERE);
#define RunStart(...) RunStartAt(__VA_ARGS__, AT)

/* Takes away drvplant's forced install (its registry key), its copy under its own name,
 * every published copy of the suite's INF, and Wine 10's driver packages of it. */
void ForgetInstallsAt(WHERE);
#define ForgetInstalls() ForgetInstallsAt(AT)
int FindPublishedCopy(wchar_t *name); /* oemN.inf, or 0 */
int DevicePresent(const char *hardwareId);
/* What each case starts from: no marks of planted DLLs, and Wine's load order for
 * drvplant.exe and drvremove.exe set to setting ("native,builtin", or "" for not at all)
 * for each of names (NULL: none). TearDownCase takes the load order away again and checks
 * that no planted DLL was loaded. */
void SetUpCaseAt(const wchar_t *const *names, const wchar_t *setting, WHERE);
#define SetUpCase(...) SetUpCaseAt(__VA_ARGS__, AT)
void TearDownCaseAt(WHERE);
#define TearDownCase() TearDownCaseAt(AT)

void WriteFileBytesAt(const wchar_t *path, const char *bytes, WHERE);
#define WriteFileBytes(...) WriteFileBytesAt(__VA_ARGS__, AT)
int FileHasBytes(const wchar_t *path, const char *bytes);
/* folder\name, in a buffer that the next call takes again. */
const wchar_t *Beside(const wchar_t *folder, const wchar_t *name);

void EnglishCases(const wchar_t *drvplant);
void ChineseCases(const wchar_t *drvplant);
void JapaneseCases(const wchar_t *drvplant);
void RemovalCases(const wchar_t *drvplant);
