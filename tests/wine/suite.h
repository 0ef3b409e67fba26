/* What the integration suite's groups share: drvplant's group in suite.c, drvremove's in
 * removal.c. */
#pragma once

#include "kit.h"

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))
#define CYRILLIC L"C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439\\setup"
#define PLANTED L"C:\\planted"

/* The suite's INF, and the same INF with another registry key: one that somebody else
 * placed. Both exes and test.inf sit in C:\suite, CYRILLIC and PLANTED. */
extern const char kInf[], kDecoyInf[];
/* Names of system DLLs planted beside the exes; each leaves a mark in C:\marks if loaded. */
extern const wchar_t *const kPlantedNames[];

/* Takes away drvplant's forced install (its registry key) and its copy named test.inf. */
void ForgetInstalls(void);
/* The marks that planted DLLs left, taken away as read. */
void TakeMarks(Text *marks);
/* Wine's load order for drvplant.exe and drvremove.exe: setting ("native,builtin", or ""
 * for not at all) for each of names, until ForgetLoadOrder. */
void SetLoadOrder(const wchar_t *const *names, const wchar_t *setting);
void ForgetLoadOrder(void);
void CopyOrFail(const wchar_t *from, const wchar_t *to);
void MakeFolders(const wchar_t *path);

void RemovalCases(void);
