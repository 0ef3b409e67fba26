// The platform operations that the stand-in can make fail, each with the system DLL it
// comes from, written once: the stand-in's enum, the fuzzer's choices and the names in
// failure messages all come from this list.
#pragma once

#define PLATFORM_OPERATIONS(X)                \
    X(FindWindow, "user32")                   \
    X(SendMessage, "user32")                  \
    X(MessageBox, "user32")                   \
    X(CharUpper, "user32")                    \
    X(WindowStation, "user32")                \
    X(StationFlags, "user32")                 \
    X(GetClassDevs, "setupapi")               \
    X(EnumDeviceInfo, "setupapi")             \
    X(GetDeviceRegistryProperty, "setupapi")  \
    X(CopyOEMInf, "setupapi")                 \
    X(UpdateDriver, "newdev")                 \
    X(LocalAlloc, "kernel32")                 \
    X(FormatMessage, "kernel32")              \
    X(FindFirstFile, "kernel32")              \
    X(Print, "msvcrt")

enum class Op {
#define AS_ENUM(name, library) name,
    PLATFORM_OPERATIONS(AS_ENUM)
#undef AS_ENUM
};

inline constexpr Op kAllOps[] = {
#define AS_OP(name, library) Op::name,
    PLATFORM_OPERATIONS(AS_OP)
#undef AS_OP
};

inline const char *OpName(Op op)
{
    static const char *const names[] = {
#define AS_NAME(name, library) #name,
        PLATFORM_OPERATIONS(AS_NAME)
#undef AS_NAME
    };
    return names[(int)op];
}

inline const char *OpLibrary(Op op)
{
    static const char *const libraries[] = {
#define AS_LIBRARY(name, library) library,
        PLATFORM_OPERATIONS(AS_LIBRARY)
#undef AS_LIBRARY
    };
    return libraries[(int)op];
}
