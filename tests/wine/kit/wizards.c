// Wizard windows on threads of their own, which answer or hang.
#include "kit.h"

#include <stdlib.h>

struct Wizard {
    const wchar_t *title;
    const char *file; // OpenWizard's caller, for the check that the window opened
    int line;
    HANDLE answered, release, thread; // answered: the window is made, or has begun to hang
    HWND window;
    volatile LONG closedByDrvplant;
};

static const UINT kTestCloses = WM_APP, kTestHangs = WM_APP + 1;

static LRESULT CALLBACK WizardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wizard *wizard = (Wizard *)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (message == WM_CLOSE || message == kTestCloses) {
        wizard->closedByDrvplant |= message == WM_CLOSE;
        DestroyWindow(window);
    } else if (message == WM_DESTROY) {
        PostQuitMessage(0);
    } else if (message == kTestHangs) { // a program that has stopped reading its messages
        SetEvent(wizard->answered);
        WaitForSingleObject(wizard->release, INFINITE);
    } else {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return 0;
}

static DWORD WINAPI RunWizard(void *context)
{
    Wizard *wizard = (Wizard *)context;
    WNDCLASSW windowClass = {.lpfnWndProc = WizardProc, .lpszClassName = L"DrvplantSuiteWizard"};
    RegisterClassW(&windowClass); // fails harmlessly once registered
    SetLastError(0xdeadbeef);
    wizard->window = CreateWindowExW(0, windowClass.lpszClassName, wizard->title,
                                     WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    check_at(wizard->file, wizard->line, wizard->window != NULL,
             "creating the wizard window: error %lu", GetLastError());
    SetWindowLongPtrW(wizard->window, GWLP_USERDATA, (LONG_PTR)wizard);
    SetEvent(wizard->answered);
    MSG message;
    while (wizard->window != NULL && GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

Wizard *OpenWizardAt(const wchar_t *title, WHERE)
{
    Wizard *wizard = (Wizard *)calloc(1, sizeof *wizard);
    wizard->title = title;
    wizard->file = file;
    wizard->line = line;
    wizard->answered = CreateEventW(NULL, FALSE, FALSE, NULL);
    wizard->release = CreateEventW(NULL, TRUE, FALSE, NULL);
    wizard->thread = CreateThread(NULL, 0, RunWizard, wizard, 0, NULL);
    WaitForSingleObject(wizard->answered, INFINITE);
    return wizard;
}

void HangWizard(Wizard *wizard)
{
    PostMessageW(wizard->window, kTestHangs, 0, 0);
    WaitForSingleObject(wizard->answered, INFINITE);
}

int CloseWizard(Wizard *wizard)
{
    SetEvent(wizard->release);
    if (IsWindow(wizard->window))
        PostMessageW(wizard->window, kTestCloses, 0, 0);
    WaitForSingleObject(wizard->thread, INFINITE);
    CloseHandle(wizard->thread);
    CloseHandle(wizard->answered);
    CloseHandle(wizard->release);
    int closed = wizard->closedByDrvplant != 0;
    free(wizard);
    return closed;
}
