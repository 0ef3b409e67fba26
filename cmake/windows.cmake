# The shipped exes: msvcrt's own printf (MinGW's adds ~29 KB), a static runtime so the
# exes need nothing beyond the system's DLLs, and only the sections that are used.
target_compile_definitions(common PUBLIC __USE_MINGW_ANSI_STDIO=0 WIN32_LEAN_AND_MEAN)
target_compile_options(common PUBLIC
    -Os -ffunction-sections -fdata-sections)
# drvremove's logic is the larger, and the smallest code keeps it clear of the size guard
# (drvplant's grows under -Oz). Set on its sources, whose options come after every target's.
get_target_property(remover_sources remover SOURCES)
set_source_files_properties(${remover_sources} common/native_exe.cpp PROPERTIES COMPILE_OPTIONS -Oz)
# x64 and ARM64 code needs unwind data (.pdata, .xdata: about 1 KB) for a debugger or a
# crash dump to walk its stack. x86 has none by its ABI.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86)
    target_compile_options(common PUBLIC -fno-asynchronous-unwind-tables)
else()
    target_compile_options(common PUBLIC -fasynchronous-unwind-tables)
endif()

# Every exe we build starts the same way (platform/windows_start.c), with nothing of the
# toolchain's start-up; on ARM64 there is no toolchain runtime at all.
add_library(startup INTERFACE)
target_sources(startup INTERFACE ${CMAKE_SOURCE_DIR}/platform/windows_start.c)
target_link_options(startup INTERFACE -nostartfiles -static -s)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL ARM64)
    include(cmake/arm64/import_libraries.cmake)
    enable_language(ASM)
    target_sources(startup INTERFACE ${CMAKE_SOURCE_DIR}/cmake/arm64/chkstk.S)
endif()
target_link_libraries(startup INTERFACE kernel32 msvcrt)

# Hardening, the same for every exe we build: stack cookies the code checks and the loader
# randomises (platform/windows_hardening.c), ASLR with relocations and DEP (lld's defaults),
# no SEH handlers on x86, Control Flow Guard on x64 and ARM64, CET shadow stacks on x64.
# The headers name the oldest Windows each exe runs on: XP (5.1), XP x64 (5.2).
target_sources(startup INTERFACE ${CMAKE_SOURCE_DIR}/platform/windows_hardening.c)
set(hardening -fstack-protector-strong)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86)
    target_link_options(startup INTERFACE -Wl,--no-seh)
    set(oldest_windows 1)
else()
    list(APPEND hardening "SHELL:-Xclang -cfguard")
    target_link_options(startup INTERFACE -Wl,--Xlink=/guard:cf)
endif()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL AMD64)
    target_link_options(startup INTERFACE -Wl,--Xlink=/cetcompat)
    set(oldest_windows 2)
endif()
if(DEFINED oldest_windows)
    target_link_options(startup INTERFACE -Wl,--major-subsystem-version=5,--major-os-version=5
        -Wl,--minor-subsystem-version=${oldest_windows},--minor-os-version=${oldest_windows})
endif()
target_compile_options(startup INTERFACE ${hardening})
target_compile_options(common PUBLIC ${hardening})

# Each exe: the shared start-up and platform side, with its program's entry and logic, its
# manifest and version resource, and failed as its status when the start-up itself fails.
enable_language(RC)
set(manifest ${CMAKE_SOURCE_DIR}/resources/drvplant.manifest)
function(program_exe target program entry library failed description)
    configure_file(${CMAKE_SOURCE_DIR}/resources/program.rc.in ${program}.rc @ONLY)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
    add_executable(${target} WIN32 platform/windows_runtime.cpp platform/windows_dlls.cpp ${rc})
    target_compile_definitions(${target} PRIVATE PROGRAM_MAIN=${entry} PROGRAM_FAILED=${failed})
    target_link_libraries(${target} PRIVATE ${library} startup)
    # No link time stamp: one commit builds the same bytes whenever and wherever it is built.
    target_link_options(${target} PRIVATE -Wl,--gc-sections -Wl,--no-insert-timestamp)
endfunction()
program_exe(drvplant drvplant InstallMain installer 2 "${PROJECT_DESCRIPTION}")
program_exe(drvremove drvremove RemoveMain remover 8 "${drvremove_description}")
program_exe(drvcreate drvcreate CreateMain creator 2 "${drvcreate_description}")
# For the Wine suite only: drvplant as Windows without SetDefaultDllDirectories runs it (XP,
# Vista, 7 without its update). It looks the entry up under a name that no kernel32 has.
# What ships: make builds these.
add_custom_target(exes DEPENDS drvplant drvremove drvcreate)
program_exe(drvplant_old_loader drvplant InstallMain installer 2 "${PROJECT_DESCRIPTION}")
target_compile_definitions(drvplant_old_loader PRIVATE
    DRVPLANT_DIRECTORIES_ENTRY="NoSetDefaultDllDirectories")
