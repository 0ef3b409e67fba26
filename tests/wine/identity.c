// Checks what Windows reads from drvplant.exe, drvremove.exe or drvcreate.exe before it runs a line of it:
// the manifest (through an activation context, as the loader builds one) and the version
// resource. Usage: identity <group> <drvplant.exe, drvremove.exe or drvcreate.exe> <case> <cases>
#include "kit.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static const GUID kSupportedOs[] = {
    {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}, // 7
    {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}, // 8
    {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}, // 8.1
    {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}, // 10, 11
};

static void ManifestCase(const wchar_t *exe)
{
    // Resource 1: the manifest the loader reads.
    ACTCTXW request = {.cbSize = sizeof request, .dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID,
                       .lpSource = exe, .lpResourceName = MAKEINTRESOURCEW(1)};
    SetLastError(0xdeadbeef);
    HANDLE context = CreateActCtxW(&request);
    check(context != INVALID_HANDLE_VALUE, "manifest: no activation context, error %lu",
          GetLastError());
    if (context == INVALID_HANDLE_VALUE)
        return;

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {0};
    SIZE_T got = 0;
    SetLastError(0xdeadbeef);
    BOOL read = QueryActCtxW(0, context, NULL, RunlevelInformationInActivationContext, &level,
                             sizeof level, &got);
    check(read, "manifest: run level not readable, error %lu", GetLastError());
    check(level.RunLevel == ACTCTX_RUN_LEVEL_AS_INVOKER, "manifest: run level %d, expected %d",
          (int)level.RunLevel, (int)ACTCTX_RUN_LEVEL_AS_INVOKER);
    check(level.UiAccess == 0, "manifest: uiAccess %lu", level.UiAccess);

    // Newer systems add a field to each element, so the GUIDs are looked for by content.
    BYTE compatibility[1024] = {0};
    SetLastError(0xdeadbeef);
    read = QueryActCtxW(0, context, NULL, CompatibilityInformationInActivationContext,
                        compatibility, sizeof compatibility, &got);
    check(read, "manifest: compatibility not readable, error %lu", GetLastError());
    DWORD count = *(DWORD *)compatibility;
    const size_t wanted = COUNT(kSupportedOs);
    check(count == wanted, "manifest: %lu supportedOS entries, expected %u", count,
          (unsigned)wanted);
    size_t from = sizeof count;
    for (size_t i = 0; i < wanted; i++) {
        size_t at = from;
        while (at + sizeof(GUID) <= got && memcmp(compatibility + at, &kSupportedOs[i], sizeof(GUID)))
            at++;
        int found = at + sizeof(GUID) <= got;
        check(found, "manifest: supportedOS %u missing or out of order", (unsigned)i);
        if (found)
            from = at + sizeof(GUID);
    }
    ReleaseActCtx(context);
}

static void VersionCase(const wchar_t *exe)
{
    // The same resource names the program that carries it.
    static const struct {
        const wchar_t *name, *description;
    } programs[] = {{L"drvplant.exe", DRVPLANT_DESCRIPTION},
                    {L"drvremove.exe", DRVREMOVE_DESCRIPTION},
                    {L"drvcreate.exe", DRVCREATE_DESCRIPTION}};
    size_t program = 0;
    for (size_t i = 0; i < COUNT(programs); i++)
        if (wcsstr(exe, programs[i].name) != NULL)
            program = i;
    SetLastError(0xdeadbeef);
    DWORD size = GetFileVersionInfoSizeW(exe, NULL);
    check(size > 0, "version: no resource, error %lu", GetLastError());
    if (size == 0)
        return;
    char *block = (char *)calloc(1, size);
    check(GetFileVersionInfoW(exe, 0, size, block), "version: unreadable");

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    check(VerQueryValueW(block, L"\\", (void **)&fixed, &length) && fixed,
          "version: no fixed part");
    if (fixed) {
        const DWORD high = MAKELONG(DRVPLANT_VERSION_MINOR, DRVPLANT_VERSION_MAJOR),
                    low = MAKELONG(0, DRVPLANT_VERSION_PATCH);
        check(fixed->dwSignature == VS_FFI_SIGNATURE, "version: signature %lx",
              fixed->dwSignature);
        check(fixed->dwFileVersionMS == high && fixed->dwFileVersionLS == low,
              "version: file version %lx.%lx", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        check(fixed->dwProductVersionMS == high && fixed->dwProductVersionLS == low,
              "version: product version %lx.%lx", fixed->dwProductVersionMS,
              fixed->dwProductVersionLS);
        check(fixed->dwFileType == VFT_APP, "version: file type %lu", fixed->dwFileType);
    }

    WORD *translation = NULL;
    check(VerQueryValueW(block, L"\\VarFileInfo\\Translation", (void **)&translation,
                         &length) && length == 4 && translation[0] == 0x409 &&
              translation[1] == 1200,
          "version: translation is not US English, Unicode");

    const struct {
        const wchar_t *name, *value;
    } strings[] = {
        {L"FileVersion", DRVPLANT_VERSION},
        {L"ProductVersion", DRVPLANT_VERSION},
        {L"ProductName", L"drvplant"},
        {L"OriginalFilename", programs[program].name},
        {L"FileDescription", programs[program].description},
    };
    for (size_t i = 0; i < COUNT(strings); i++) {
        wchar_t path[128] = L"\\StringFileInfo\\040904B0\\";
        wcscat(path, strings[i].name);
        wchar_t *value = NULL;
        BOOL found = VerQueryValueW(block, path, (void **)&value, &length);
        check(found && value && wcscmp(value, strings[i].value) == 0,
              "version string %u (%ls): \"%ls\"", (unsigned)i, strings[i].name,
              found && value ? value : L"(none)");
    }
    free(block);
}

static void IdentityCases(const wchar_t *exe)
{
    in_case("manifest_runs_as_invoker_on_windows_7_to_11") ManifestCase(exe);
    in_case("version_resource") VersionCase(exe);
}

int main(int argc, char **argv)
{
    static const Group groups[] = {{"identity", IdentityCases}, {"identity_drvremove", IdentityCases},
                                   {"identity_drvcreate", IdentityCases}};
    return RunGroup(argc, argv, groups, COUNT(groups));
}
