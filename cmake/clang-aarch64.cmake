# ARM64 Windows with clang and lld. Debian has no MinGW runtime for ARM64, so this build
# takes MinGW's headers only, and import libraries and a start-up of our own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(target aarch64-w64-windows-gnu)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_ASM_COMPILER clang-14)
set(CMAKE_C_COMPILER_TARGET ${target})
set(CMAKE_CXX_COMPILER_TARGET ${target})
set(CMAKE_ASM_COMPILER_TARGET ${target})
set(CMAKE_RC_COMPILER llvm-windres-14)
set(CMAKE_RC_FLAGS_INIT "--target=aarch64-w64-mingw32 -I/usr/share/mingw-w64/include")
foreach(language C CXX ASM)
    set(CMAKE_${language}_FLAGS_INIT "-isystem /usr/share/mingw-w64/include")
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
# The compiler checks would link against libraries that exist only once the build made them.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# Only what each target names: there are no import libraries beyond ours.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "")
