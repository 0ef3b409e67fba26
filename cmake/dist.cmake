# The release archive, made by CPack from the two cross builds: both exes, the README,
# the licence, and SHA256SUMS over all of them so a download can be checked.
set(DRVPLANT_BUILDS ${CMAKE_SOURCE_DIR}/build CACHE PATH "Where the x86 and x64 builds are")

set(sums "")
foreach(arch x86 x64)
    set(exe ${DRVPLANT_BUILDS}/${arch}/drvplant.exe)
    file(SHA256 ${exe} hash)
    string(APPEND sums "${hash}  ${arch}/drvplant.exe\n")
    install(PROGRAMS ${exe} DESTINATION ${arch})
endforeach()
foreach(document README.md LICENSE)
    file(SHA256 ${CMAKE_SOURCE_DIR}/${document} hash)
    string(APPEND sums "${hash}  ${document}\n")
    install(FILES ${CMAKE_SOURCE_DIR}/${document} DESTINATION .)
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/SHA256SUMS "${sums}")
install(FILES ${CMAKE_BINARY_DIR}/SHA256SUMS DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME drvplant-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
