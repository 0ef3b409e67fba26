# Import libraries for ARM64, made from the .def files beside this one, which list what
# the exe and its tests call; -lkernel32 and the like find them.
set(import_directory ${CMAKE_BINARY_DIR}/import)
file(MAKE_DIRECTORY ${import_directory})
file(GLOB definitions ${CMAKE_CURRENT_LIST_DIR}/*.def)
foreach(definition ${definitions})
    get_filename_component(name ${definition} NAME_WE)
    execute_process(COMMAND llvm-dlltool-14 -m arm64 -d ${definition} -l ${import_directory}/lib${name}.a
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
link_directories(${import_directory})
