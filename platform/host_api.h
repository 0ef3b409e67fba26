// The subset of the Windows API that the installer uses, with the SDK's values, for
// builds where there is no SDK. Whatever links against it supplies the functions.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINAPI

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef BYTE *PBYTE;
typedef DWORD *PDWORD;
typedef BOOL *PBOOL;
typedef void *HANDLE;
typedef void *HLOCAL;
typedef void *HDEVINFO;
typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef struct HWINSTA__ *HWINSTA;
typedef void *PVOID;
typedef DWORD *LPDWORD;

#define TRUE 1
#define FALSE 0
#define MAXDWORD 0xffffffffu
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_DATA 13u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_DISK_FULL 112u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_NO_MORE_ITEMS 259u
#define ERROR_MR_MID_NOT_FOUND 317u
#define ERROR_INVALID_USER_BUFFER 1784u

#define LPTR 0x0040
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) ((((DWORD)(sub)) << 10) | (DWORD)(primary))
#define WM_CLOSE 0x0010
#define MB_OK 0x00000000u
#define UOI_FLAGS 1
#define WSF_VISIBLE 0x0001
#define REG_MULTI_SZ 7
#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define SPDRP_HARDWAREID 0x00000001
#define SPOST_PATH 1
#define INSTALLFLAG_FORCE 0x00000001

typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;

typedef struct _SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

typedef struct tagUSEROBJECTFLAGS {
    BOOL fInherit;
    BOOL fReserved;
    DWORD dwFlags;
} USEROBJECTFLAGS;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
} WIN32_FIND_DATAA;

DWORD GetLastError(void);
void SetLastError(DWORD code);
DWORD FormatMessageA(DWORD flags, const void *source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, va_list *arguments);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL block);
BOOL IsDBCSLeadByte(BYTE character);
int lstrlenA(LPCSTR string);
LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int length);
LPSTR lstrcatA(LPSTR destination, LPCSTR source);
HANDLE FindFirstFileA(LPCSTR path, WIN32_FIND_DATAA *found);
BOOL FindClose(HANDLE search);

HWND FindWindowA(LPCSTR className, LPCSTR title);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
LPSTR CharUpperA(LPSTR string);
HWINSTA GetProcessWindowStation(void);
BOOL GetUserObjectInformationA(HANDLE object, int index, PVOID information, DWORD size,
                               LPDWORD needed);

HDEVINFO SetupDiGetClassDevsA(const GUID *classGuid, LPCSTR enumerator, HWND parent,
                              DWORD flags);
BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device);
BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                       PDWORD type, PBYTE buffer, DWORD size,
                                       PDWORD requiredSize);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);
BOOL SetupCopyOEMInfA(LPCSTR source, LPCSTR mediaLocation, DWORD mediaType, DWORD copyStyle,
                      LPSTR destination, DWORD destinationSize, PDWORD requiredSize,
                      LPSTR *destinationComponent);
BOOL UpdateDriverForPlugAndPlayDevicesA(HWND parent, LPCSTR hardwareId, LPCSTR infPath,
                                        DWORD flags, PBOOL rebootRequired);
