// Planted beside drvplant.exe under the names of system DLLs: if it is ever loaded, it
// leaves C:\marks\<its file name>, so a test sees that a planted DLL got drvplant's rights.
#include <windows.h>

// The entry itself: no C runtime start-up in this DLL.
BOOL WINAPI DllMainCRTStartup(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH], mark[MAX_PATH + 16] = L"C:\\marks\\";
        DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        const wchar_t *name = path + length;
        while (name > path && name[-1] != L'\\')
            name--;
        lstrcatW(mark, name);
        CloseHandle(CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
