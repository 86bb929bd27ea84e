# Native (host) build: the portable core, the build-time generators, native tests and fuzzers.
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GENERATED_DIR})

# Build-time generators: tools/gen_*.cpp, each one program, sharing tools/*/ helpers.
file(GLOB TOOL_SUPPORT CONFIGURE_DEPENDS tools/*/*.cpp)
# The trimming tool is a Windows program of its own (the Windows build makes it).
list(FILTER TOOL_SUPPORT EXCLUDE REGEX "/tools/empty_tool/")
add_library(tool_support STATIC ${TOOL_SUPPORT})
target_link_libraries(tool_support PUBLIC board_core)
target_include_directories(tool_support PUBLIC ${CMAKE_SOURCE_DIR}/tools)
# Debian's stb (libstb-dev) encodes the skin's PNG and JPEG files and decodes them in tests.
find_path(STB_INCLUDE_DIR stb_image_write.h PATH_SUFFIXES stb REQUIRED)
find_library(STB_LIBRARY stb REQUIRED)
target_include_directories(tool_support PUBLIC ${STB_INCLUDE_DIR})
target_link_libraries(tool_support PUBLIC ${STB_LIBRARY})
# iconv is part of glibc; elsewhere (MSYS2, macOS) it is a library of its own.
find_library(ICONV_LIBRARY iconv)
if(ICONV_LIBRARY)
  target_link_libraries(tool_support PUBLIC ${ICONV_LIBRARY})
endif()
# Loudness and true peak are measured with libebur128, the EBU R128 reference implementation.
find_package(PkgConfig REQUIRED)
pkg_check_modules(EBUR128 REQUIRED IMPORTED_TARGET libebur128)
target_link_libraries(tool_support PUBLIC PkgConfig::EBUR128)
# The spoken clips are speech synthesis by eSpeak NG, pinned to the version they were made with.
find_program(ESPEAK_NG_PROGRAM espeak-ng REQUIRED)
execute_process(COMMAND ${ESPEAK_NG_PROGRAM} --version OUTPUT_VARIABLE espeak_banner)
string(REGEX MATCH "text-to-speech: ([0-9.]+)" espeak_match "${espeak_banner}")
if(NOT CMAKE_MATCH_1 STREQUAL "1.51")
  message(WARNING "espeak-ng '${CMAKE_MATCH_1}' found; the clips were made with 1.51, so the two spoken "
                  "clips (救命, 求包养) will come out different (see the README)")
endif()
set_property(SOURCE tools/clip_synth/speech.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             ESPEAK_NG_PROGRAM="${ESPEAK_NG_PROGRAM}")
file(GLOB GENERATORS CONFIGURE_DEPENDS tools/gen_*.cpp)
foreach(src ${GENERATORS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE tool_support)
endforeach()
include(cmake/generated.cmake)

# The clip report: loudness, peaks, endings and bandwidth of every built clip, and a sheet of
# their spectrograms (stb_image_write and stb_truetype from Debian's libstb-dev).
find_path(STB_INCLUDE_DIR stb/stb_image_write.h REQUIRED)
add_executable(clip_report tools/clip_report.cpp)
target_include_directories(clip_report SYSTEM PRIVATE ${STB_INCLUDE_DIR})
target_link_libraries(clip_report PRIVATE tool_support)
add_test(NAME clip_report COMMAND clip_report ${CLIPS_FILE} --sheet ${CMAKE_BINARY_DIR}/clip_spectrograms.png)
set_tests_properties(clip_report PROPERTIES TIMEOUT 300)
# The generator is deterministic: a second run writes the very bytes the build stored.
add_test(NAME clips_reproducible COMMAND ${CMAKE_COMMAND} -DGENERATOR=$<TARGET_FILE:gen_clips>
         -DEXPECTED=${CLIPS_FILE} -DWORK=${CMAKE_BINARY_DIR}/clips_again -P ${CMAKE_SOURCE_DIR}/cmake/run_twice.cmake)
set_tests_properties(clips_reproducible PROPERTIES TIMEOUT 600)

# Native tests: one executable, one CTest entry.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE tool_support GTest::gtest_main)
target_compile_definitions(native_tests PRIVATE GENERATED_DIR="${GENERATED_DIR}"
                           SKIN_IMAGE_GENERATOR="$<TARGET_FILE:gen_skin_images>")
add_dependencies(native_tests generated_resources)
add_test(NAME native_tests COMMAND native_tests)
set_tests_properties(native_tests PROPERTIES TIMEOUT 600)

# Fuzz targets (clang's libFuzzer); CTest runs each briefly on its own seeds.
if(IS_CLANG AND SANITIZE)
  file(GLOB FUZZERS CONFIGURE_DEPENDS tests/fuzz/fuzz_*.cpp)
  foreach(src ${FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tool_support)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name} COMMAND ${name} -runs=200000 -max_total_time=20 -seed=1
             ${GENERATED_DIR}/fuzz_seeds/${name})
  endforeach()
endif()

# Benchmarks that need no Windows.
file(GLOB NATIVE_BENCH CONFIGURE_DEPENDS bench/native_*.cpp)
foreach(src ${NATIVE_BENCH})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE tool_support)
  target_compile_definitions(${name} PRIVATE GENERATED_DIR="${GENERATED_DIR}")
endforeach()

# The folders stay layered: no include points up or sideways.
add_test(NAME layers COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check_layers.sh)

# The set-up's package groups, against stand-ins for the package manager.
add_test(NAME setup_groups COMMAND bash ${CMAKE_SOURCE_DIR}/tests/setup/test_deps.sh)
