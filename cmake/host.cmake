# Unit tests of installer/ against the stand-in; DRVPLANT_SANITIZE builds them with
# AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)
enable_testing()

add_executable(unit_tests
    tests/unit/standin.cpp
    tests/unit/text_test.cpp
    tests/unit/report_test.cpp
    tests/unit/search_test.cpp
    tests/unit/install_test.cpp
    tests/unit/fault_matrix_test.cpp)
target_link_libraries(unit_tests PRIVATE installer GTest::gtest_main)

option(DRVPLANT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(DRVPLANT_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(installer PUBLIC ${sanitizers})
    target_link_options(unit_tests PRIVATE ${sanitizers})
endif()

include(GoogleTest)
gtest_discover_tests(unit_tests)
