/* What every exe we build carries against memory corruption: the stack cookie that
 * -fstack-protector-strong checks, its failure path, the no-op checks that Control Flow
 * Guard calls until the loader puts its own in, and the load configuration through which
 * the loader finds both. lld supplies the guard table and flags. */
#include <windows.h>
#include <stddef.h>
#include <stdint.h>

/* The loader randomises the cookie only while it holds this value. */
#ifdef _WIN64
#define BUILT_COOKIE 0x00002B992DDFA232ull
#else
#define BUILT_COOKIE 0xBB40E64Eu
#endif
uintptr_t __stack_chk_guard = BUILT_COOKIE;

/* A loader that left the cookie as built gets what entropy is at hand; called first. */
__attribute__((no_stack_protector)) void SeedStackCookie(void)
{
    if (__stack_chk_guard == BUILT_COOKIE)
        __stack_chk_guard ^= GetTickCount() ^ ((uintptr_t)GetCurrentProcessId() << 16) ^
                             (uintptr_t)__builtin_frame_address(0);
}

/* A frame's cookie changed: its return address may be an attacker's. End now, running
 * nothing more of ours (exit would flush standard output). */
__attribute__((noreturn)) void __stack_chk_fail(void)
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}

/* Read-only, as the loader is the only one that may replace them. x64 code dispatches
 * through the target (in rax); the others check it and call it themselves. */
static void CheckNothing(void)
{
}
void (*const __guard_check_icall_fptr)(void) = CheckNothing;
#ifdef __x86_64__
/* A leaf that leaves the stack alone needs no unwind entry: the return address is at rsp. */
void DispatchUnchecked(void);
__asm__(".text\nDispatchUnchecked:\n\tjmp *%rax\n");
void (*const __guard_dispatch_icall_fptr)(void) = DispatchUnchecked;
#define DISPATCH ((uintptr_t)&__guard_dispatch_icall_fptr)
#else
#define DISPATCH 0
#endif

/* The guard table and flags are the linker's, as symbols. */
extern const char __guard_fids_table[], __guard_fids_count[], __guard_flags[];

typedef struct {
    IMAGE_LOAD_CONFIG_DIRECTORY head; /* MinGW's headers end it at SEHandlerCount */
    uintptr_t GuardCFCheckFunctionPointer, GuardCFDispatchFunctionPointer;
    uintptr_t GuardCFFunctionTable, GuardCFFunctionCount;
    uintptr_t GuardFlags; /* a DWORD: on 64-bit its upper half is padding past Size */
} LoadConfiguration;

#ifdef _WIN64
#define CONFIG_SIZE (offsetof(LoadConfiguration, GuardFlags) + sizeof(DWORD))
#else
/* Windows XP expects 64 bytes on x86; they end with the cookie, and x86 has no CFG. */
#define CONFIG_SIZE offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, SEHandlerTable)
#endif

const LoadConfiguration _load_config_used = {
    .head = {.Size = CONFIG_SIZE, .SecurityCookie = (uintptr_t)&__stack_chk_guard},
    .GuardCFCheckFunctionPointer = (uintptr_t)&__guard_check_icall_fptr,
    .GuardCFDispatchFunctionPointer = DISPATCH,
    .GuardCFFunctionTable = (uintptr_t)__guard_fids_table,
    .GuardCFFunctionCount = (uintptr_t)__guard_fids_count,
    .GuardFlags = (uintptr_t)__guard_flags,
};
