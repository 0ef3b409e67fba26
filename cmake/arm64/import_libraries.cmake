# Import libraries for ARM64, made from the .def files beside this one, which list what
# the exes' start-up and their tests call, and from the table of operations, which lists
# what the programs import; -lkernel32 and the like find them.
set(import_directory ${CMAKE_BINARY_DIR}/import)
file(MAKE_DIRECTORY ${import_directory})
execute_process(COMMAND ${CMAKE_C_COMPILER} -E -P -x c -I${CMAKE_SOURCE_DIR}
    ${CMAKE_CURRENT_LIST_DIR}/imported_operations.c
    OUTPUT_VARIABLE imported COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(imported UNIX_COMMAND "${imported}")
file(GLOB definitions ${CMAKE_CURRENT_LIST_DIR}/*.def)
# Made when CMake configures: a changed list or table configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${definitions}
    ${CMAKE_SOURCE_DIR}/platform/operations.h ${CMAKE_CURRENT_LIST_DIR}/imported_operations.c)
foreach(definition ${definitions})
    get_filename_component(name ${definition} NAME_WE)
    file(READ ${definition} entries)
    set(library "")
    foreach(word ${imported})
        if(library STREQUAL "")
            set(library ${word})
        else()
            if(library STREQUAL name)
                string(APPEND entries "    ${word}\n")
            endif()
            set(library "")
        endif()
    endforeach()
    file(WRITE ${import_directory}/${name}.def "${entries}")
    execute_process(COMMAND llvm-dlltool-14 -m arm64 -d ${import_directory}/${name}.def
        -l ${import_directory}/lib${name}.a COMMAND_ERROR_IS_FATAL ANY)
endforeach()
link_directories(${import_directory})
