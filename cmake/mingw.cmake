# Shared by the MinGW-w64 toolchain files; they set `triple` and the processor first.
# clang and lld on MinGW-w64's headers and libraries: lld fills in the load configuration
# (the loader's stack cookie, Control Flow Guard), which GNU ld 2.40 does not.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
# clang looks for libgcc where Debian's MinGW GCC does not keep it.
execute_process(COMMAND ${triple}-gcc -print-libgcc-file-name
    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(libgcc_directory ${libgcc} DIRECTORY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${libgcc_directory}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${libgcc_directory}")
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
