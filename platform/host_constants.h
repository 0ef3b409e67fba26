// The SDK's constants that the host build declares, with the SDK's values. The Windows
// test build checks each of them against the SDK itself.
#pragma once

#define HOST_CONSTANTS(X)                         \
    X(MAXDWORD, 0xffffffffu)                   \
    X(MAX_PATH, 260)                           \
    X(ERROR_SUCCESS, 0u)                       \
    X(ERROR_FILE_NOT_FOUND, 2u)                \
    X(ERROR_ACCESS_DENIED, 5u)                 \
    X(ERROR_INVALID_HANDLE, 6u)                \
    X(ERROR_NOT_ENOUGH_MEMORY, 8u)             \
    X(ERROR_INVALID_DATA, 13u)                 \
    X(ERROR_INVALID_PARAMETER, 87u)            \
    X(ERROR_BAD_EXE_FORMAT, 193u)              \
    X(ERROR_MOD_NOT_FOUND, 126u)               \
    X(ERROR_PROC_NOT_FOUND, 127u)              \
    X(ERROR_DISK_FULL, 112u)                   \
    X(ERROR_INSUFFICIENT_BUFFER, 122u)         \
    X(ERROR_NO_MORE_ITEMS, 259u)               \
    X(ERROR_MR_MID_NOT_FOUND, 317u)            \
    X(ERROR_TIMEOUT, 1460u)                    \
    X(ERROR_INVALID_FLAGS, 1004u)              \
    X(ERROR_INVALID_WINDOW_HANDLE, 1400u)      \
    X(ERROR_RESOURCE_LANG_NOT_FOUND, 1815u)    \
    X(ERROR_NO_SUCH_DEVINST, 0xE000020Bu)      \
    X(ERROR_INVALID_USER_BUFFER, 1784u)        \
    X(LPTR, 0x0040)                            \
    X(FORMAT_MESSAGE_ALLOCATE_BUFFER, 0x00000100) \
    X(FORMAT_MESSAGE_FROM_SYSTEM, 0x00001000)  \
    X(FORMAT_MESSAGE_IGNORE_INSERTS, 0x00000200) \
    X(FORMAT_MESSAGE_FROM_STRING, 0x00000400)  \
    X(FORMAT_MESSAGE_FROM_HMODULE, 0x00000800) \
    X(FORMAT_MESSAGE_ARGUMENT_ARRAY, 0x00002000) \
    X(FORMAT_MESSAGE_MAX_WIDTH_MASK, 0x000000FF) \
    X(LANG_NEUTRAL, 0x00)                      \
    X(SUBLANG_DEFAULT, 0x01)                   \
    X(WM_CLOSE, 0x0010)                        \
    X(SMTO_ABORTIFHUNG, 0x0002)                \
    X(SMTO_BLOCK, 0x0001)                      \
    X(SMTO_NOTIMEOUTIFNOTHUNG, 0x0008)         \
    X(SMTO_ERRORONEXIT, 0x0020)                \
    X(MB_OK, 0x00000000u)                      \
    X(UOI_FLAGS, 1)                            \
    X(WSF_VISIBLE, 0x0001)                     \
    X(REG_MULTI_SZ, 7)                         \
    X(DIGCF_PRESENT, 0x00000002)               \
    X(DIGCF_ALLCLASSES, 0x00000004)            \
    X(DIGCF_DEFAULT, 0x00000001)               \
    X(DIGCF_PROFILE, 0x00000008)               \
    X(DIGCF_DEVICEINTERFACE, 0x00000010)       \
    X(SPDRP_HARDWAREID, 0x00000001)            \
    X(SPOST_PATH, 1)                           \
    X(SPOST_NONE, 0)                           \
    X(SPOST_URL, 2)                            \
    X(INSTALLFLAG_FORCE, 0x00000001)           \
    X(INSTALLFLAG_READONLY, 0x00000002)        \
    X(INSTALLFLAG_NONINTERACTIVE, 0x00000004)
