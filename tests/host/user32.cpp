// USER32's models: top-level windows by title, the wizard's WM_CLOSE, the box, upper-casing
// and the window station.
#include "rooms.h"

namespace model {

HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    if (className != NULL)
        return Unmodelled("FindWindowW by class"), nullptr;
    for (size_t i = 0; i < world->windows.size(); i++)
        if (title != NULL && world->windows[i] == title)
            return (HWND)(i + 1);
    return NULL;
}

// A window whose thread reads no messages keeps the caller for the whole bound: it may
// have stopped only just now, before Windows counts it as hung.
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM, LPARAM, UINT flags,
                            UINT timeout, PDWORD_PTR result)
{
    size_t index = (size_t)window - 1;
    const UINT known = SMTO_BLOCK | SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG | SMTO_ERRORONEXIT;
    if ((flags & ~known) != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    if (index >= world->windows.size())
        return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (world->hung.count(world->windows[index]) != 0) {
        world->waited += (flags & SMTO_NOTIMEOUTIFNOTHUNG) ? MAXDWORD : timeout;
        return Fail(ERROR_TIMEOUT);
    }
    if (message == WM_CLOSE) {
        world->closed.push_back(world->windows[index]);
        world->windows.erase(world->windows.begin() + (long)index);
    }
    if (result != NULL)
        *result = 0;
    return 1;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    world->boxes.push_back({text ? text : "", caption ? caption : "Error", type,
                            world->out.substr(0, world->delivered)});
    return 1; // IDOK
}

// Upper-cases ASCII letters and leaves double-byte characters whole, trail bytes too.
LPSTR CharUpperA(LPSTR string)
{
    if (world->upperCaseSkipped.count(0) || world->upperCaseSkipped.count(world->calls[Op::CharUpperA]))
        return string;
    for (char *at = string; *at != '\0'; at++) {
        if (IsDBCSLeadByte((BYTE)*at) && at[1] != '\0')
            at++;
        else if (*at >= 'a' && *at <= 'z')
            *at = (char)(*at - 'a' + 'A');
    }
    return string;
}

HWINSTA GetProcessWindowStation(void)
{
    return kStation;
}

BOOL GetUserObjectInformationA(HANDLE object, int index, PVOID information, DWORD size,
                               LPDWORD needed)
{
    if (object != kStation)
        return Fail(ERROR_INVALID_HANDLE);
    if (index != (int)UOI_FLAGS)
        return Unmodelled("GetUserObjectInformationA other than UOI_FLAGS"), FALSE;
    if (needed)
        *needed = sizeof(USEROBJECTFLAGS);
    if (size < sizeof(USEROBJECTFLAGS))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    USEROBJECTFLAGS *flags = (USEROBJECTFLAGS *)information;
    *flags = {FALSE, FALSE, world->stationVisible ? (DWORD)WSF_VISIBLE : 0};
    return Succeed();
}

} // namespace model
