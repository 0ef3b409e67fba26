# The fuzz target: whole runs against the stand-in, under libFuzzer with AddressSanitizer
# (leak check included) and UndefinedBehaviorSanitizer. Needs clang.
set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
target_compile_options(installer PUBLIC ${sanitizers} -fsanitize=fuzzer-no-link)

add_executable(search_fuzzer tests/fuzz/search_fuzzer.cpp tests/unit/standin.cpp)
target_link_libraries(search_fuzzer PRIVATE installer)
target_link_options(search_fuzzer PRIVATE ${sanitizers} -fsanitize=fuzzer)

# The same runs with clang's coverage mapping, to measure what the corpus reaches in
# installer/ (no sanitizers, so the counts are the logic's own).
get_target_property(installer_sources installer SOURCES)
add_executable(search_coverage tests/fuzz/search_fuzzer.cpp tests/unit/standin.cpp ${installer_sources})
target_include_directories(search_coverage PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(search_coverage PRIVATE -fprofile-instr-generate -fcoverage-mapping)
target_link_options(search_coverage PRIVATE -fsanitize=fuzzer -fprofile-instr-generate)
