// The stand-in's core: the world a test describes, the journal of calls, the fault hook
// in front of every model, memory, standard output and the command line.
#include "rooms.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <type_traits>

World *world;

std::set<unsigned char> CodePage932LeadBytes()
{
    std::set<unsigned char> lead;
    for (int c = 0x81; c <= 0xfc; c++)
        if (c <= 0x9f || c >= 0xe0)
            lead.insert((unsigned char)c);
    return lead;
}

std::set<unsigned char> CodePage936LeadBytes()
{
    std::set<unsigned char> lead;
    for (int c = 0x81; c <= 0xfe; c++)
        lead.insert((unsigned char)c);
    return lead;
}

const char *OpName(Op op)
{
#define AS_NAME(library, ret, name, failed, params, args) #name,
    static const char *const names[] = {PLATFORM_OPERATIONS(AS_NAME)};
#undef AS_NAME
    return names[(int)op];
}

const char *OpLibrary(Op op)
{
#define AS_LIBRARY(library, ret, name, failed, params, args) #library,
    static const char *const libraries[] = {PLATFORM_OPERATIONS(AS_LIBRARY)};
#undef AS_LIBRARY
    return libraries[(int)op];
}

std::vector<Fault> LibraryMissing(const char *library)
{
    std::vector<Fault> faults;
    for (Op op : kAllOps)
        if (strcmp(OpLibrary(op), library) == 0)
            faults.push_back({op, 0, ERROR_MOD_NOT_FOUND});
    return faults;
}

// Counts and records the call; a fault that applies to it leaves its code as the last
// error. The call's place in the journal.
static size_t Enter(Op op)
{
    unsigned call = ++world->calls[op];
    world->journal.push_back({op, world->out.size(), world->lastError, false, false});
    for (const Fault &fault : world->faults)
        if (fault.op == op && (fault.call == 0 || fault.call == call)) {
            world->lastError = fault.code;
            world->journal.back().faulted = true;
            break;
        }
    return world->journal.size() - 1;
}

void Unmodelled(const std::string &what)
{
    world->unmodelled.push_back(what);
}

BOOL Fail(DWORD code)
{
    world->lastError = code;
    return FALSE;
}

BOOL Succeed(void)
{
    if (!world->successKeepsLastError)
        world->lastError = ERROR_SUCCESS;
    return TRUE;
}

bool SameFolded(const std::u16string &left, const std::u16string &right)
{
    auto folded = [](char16_t c) { return c >= u'a' && c <= u'z' ? (char16_t)(c - u'a' + u'A') : c; };
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [&](char16_t l, char16_t r) { return folded(l) == folded(r); });
}

DWORD GetLastError(void)
{
    return world->lastError;
}

void SetLastError(DWORD code)
{
    world->lastError = code;
}

std::u16string Widened(const std::string &bytes)
{
    std::u16string wide;
    for (unsigned char byte : bytes)
        wide += (char16_t)byte;
    return wide;
}

int RunProgram(ProgramMain *main)
{
    world->asStarted = std::make_shared<const World>(*world);
    std::vector<std::string> args = world->args;
    std::vector<std::u16string> wide = world->wideArgs;
    for (size_t i = wide.size(); i < args.size(); i++)
        wide.push_back(Widened(args[i]));
    std::vector<char *> argv;
    std::vector<WCHAR *> wideArgv;
    for (size_t i = 0; i < args.size(); i++) {
        argv.push_back(&args[i][0]);
        wideArgv.push_back(&wide[i][0]);
    }
    argv.push_back(NULL);
    wideArgv.push_back(NULL);
    return main((int)args.size(), argv.data(), wideArgv.data());
}

int PrintOutput(const char *format, ...)
{
    size_t call = Enter(Op::printf);
    if (world->journal[call].faulted)
        return -1;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(NULL, 0, format, args);
    va_end(args);
    std::string line(length > 0 ? (size_t)length + 1 : 1, '\0');
    va_start(args, format);
    vsnprintf(&line[0], line.size(), format, args);
    va_end(args);
    for (int i = 0; i < length; i++)
        world->out += line[i] == '\n' ? std::string("\r\n") : std::string(1, line[i]);
    world->journal[call].succeeded = true;
    return length;
}

void FlushOutput(void)
{
    world->delivered = world->out.size();
}

void *Allocate(SIZE_T bytes)
{
    void *block = calloc(1, bytes ? bytes : 1);
    world->blocks.insert(block);
    return block;
}

HLOCAL LocalFree(HLOCAL block)
{
    if (block != NULL && world->blocks.erase(block) == 0)
        world->badFrees++;
    else
        free(block);
    return NULL;
}

// The fault hook: a faulted call fails as the operation does, with the fault's code;
// any other reaches the model. Either way the journal records how it ended.
template <class Ret, class Model, class Failed> static Ret Hooked(Op op, Model model, Failed failed)
{
    size_t entered = Enter(op);
    bool faulted = world->journal[entered].faulted;
    if constexpr (std::is_void_v<Ret>) {
        if (!faulted)
            model();
        world->journal[entered].succeeded = !faulted;
    } else {
        Ret returned = faulted ? failed() : model();
        world->journal[entered].succeeded = !(returned == failed());
        return returned;
    }
}

#define AS_FAULT_HOOK(library, ret, name, failed, params, args)                                \
    ret name params                                                                            \
    {                                                                                          \
        return Hooked<ret>(Op::name, [&] { return model::name args; }, [&] { return (ret)(failed); }); \
    }
LOADED_OPERATIONS(AS_FAULT_HOOK)
IMPORTED_OPERATIONS(AS_FAULT_HOOK)
#undef AS_FAULT_HOOK
