# Windows build: SoundBoard.exe, the Windows tests and the end-to-end probe.
if(NOT EXISTS ${GENERATED_DIR}/main_form.bin)
  message(FATAL_ERROR "GENERATED_DIR must name the native build's generated/ folder")
endif()
# One self-contained exe: no MinGW runtime DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(board_win STATIC ${WIN_SOURCES})
target_link_libraries(board_win PUBLIC board_core gdiplus winmm comctl32 msimg32 shlwapi ole32 user32 gdi32 kernel32)

# The trimming tool: a small console program of its own, built by this build's compiler and
# embedded as a ByteSet. The product, the i686 build, so carries the i686 tool; the x86_64
# build, which exists to run the tests under wine64, carries one that wine64 can start.
add_executable(empty_tool tools/empty_tool/empty.cpp)
set_target_properties(empty_tool PROPERTIES OUTPUT_NAME empty)
target_compile_options(empty_tool PRIVATE -Os -fno-exceptions -fno-asynchronous-unwind-tables)
target_link_options(empty_tool PRIVATE -municode -s -Wl,--gc-sections)
set(EMBEDDED_DIR ${CMAKE_BINARY_DIR}/embedded)
file(MAKE_DIRECTORY ${EMBEDDED_DIR})
set(EMPTY_TOOL_RC ${EMBEDDED_DIR}/empty_tool.rc)
add_custom_command(OUTPUT ${EMPTY_TOOL_RC}
  COMMAND ${CMAKE_COMMAND} -DIN=$<TARGET_FILE:empty_tool> -DOUT=${EMPTY_TOOL_RC}
          -DNAME=EMPTY_TOOL -P ${CMAKE_SOURCE_DIR}/cmake/byteset_rc.cmake
  DEPENDS empty_tool ${CMAKE_SOURCE_DIR}/cmake/byteset_rc.cmake VERBATIM)
add_custom_target(embedded_tool DEPENDS ${EMPTY_TOOL_RC})

# Every program from here on keeps each section at a page boundary of its file. Wine maps such
# a section straight from the file; one at a 512-byte offset it reads into private memory, and
# whether the 27 MiB of resources landed on a page boundary changed from build to build (a
# start-up's private bytes 22 or 49 MiB, and the start's time with them). Windows loads either.
# The small trimming tool above keeps the default, so it stays small.
add_link_options(-Wl,--file-alignment,0x1000)

set(RC_FILE ${CMAKE_SOURCE_DIR}/resources/soundboard.rc)
include(cmake/skin_images.cmake)
set(GENERATED_FILES ${GENERATED_DIR}/app.ico ${GENERATED_DIR}/main_form.bin ${GENERATED_DIR}/clips.bin
    ${EMPTY_TOOL_RC} ${SKIN_IMAGE_FILES})
set_source_files_properties(${RC_FILE} PROPERTIES OBJECT_DEPENDS "${GENERATED_FILES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${GENERATED_DIR} -I ${EMBEDDED_DIR} -I ${CMAKE_SOURCE_DIR}/resources")

add_executable(SoundBoard WIN32 app/win32/main.cpp ${RC_FILE})
target_link_libraries(SoundBoard PRIVATE board_win)
target_link_options(SoundBoard PRIVATE -municode $<$<CONFIG:Release>:-s>)
add_dependencies(SoundBoard embedded_tool)

# The skin gallery: one skinned window with a control of every family the skin paints, for
# looking at the skin as a whole. Not part of the product.
file(GLOB GALLERY_SOURCES CONFIGURE_DEPENDS gallery/win32/*.cpp)
add_executable(SkinGallery WIN32 ${GALLERY_SOURCES} ${RC_FILE})
target_link_libraries(SkinGallery PRIVATE board_win)
target_link_options(SkinGallery PRIVATE -municode $<$<CONFIG:Release>:-s>)
add_dependencies(SkinGallery embedded_tool)
add_test(NAME gallery_e2e COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run_gallery.sh
         $<TARGET_FILE:SkinGallery> ${CMAKE_BINARY_DIR}/gallery)
set_tests_properties(gallery_e2e PROPERTIES TIMEOUT 300)

# Windows tests: one gtest executable run under Wine, with the program's resources linked in.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Helpers the Windows tests and the end-to-end probe share: one recorder, one keyboard hook.
file(GLOB TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(test_support STATIC ${TEST_SUPPORT})
target_link_libraries(test_support PUBLIC board_win)
file(GLOB WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
add_executable(wine_tests ${WINE_TESTS} ${RC_FILE})
target_link_libraries(wine_tests PRIVATE test_support GTest::gtest_main)
add_dependencies(wine_tests embedded_tool)
# Some tests open the product's own exe beside them.
add_dependencies(wine_tests SoundBoard)
add_test(NAME wine_tests COMMAND wine_tests)
# A library of the tests' own, beside wine_tests.exe, for the GDI+ binder's lookups by name
# and by ordinal. Its functions are stdcall; the .def names them undecorated.
add_library(board_ordinal_test SHARED tests/wine/ordinal_dll/ordinal_dll.cpp
            tests/wine/ordinal_dll/ordinal_dll.def)
set_target_properties(board_ordinal_test PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR})
target_link_options(board_ordinal_test PRIVATE -Wl,--enable-stdcall-fixup)
add_dependencies(wine_tests board_ordinal_test)
set_tests_properties(wine_tests PROPERTIES TIMEOUT 600)

# The end-to-end probe runs beside the board and watches it like a user would.
file(GLOB E2E_PROBE CONFIGURE_DEPENDS tests/e2e/*.cpp)
add_executable(board_probe ${E2E_PROBE})
target_link_libraries(board_probe PRIVATE test_support)
target_link_options(board_probe PRIVATE -municode)
add_test(NAME end_to_end COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.sh
         $<TARGET_FILE:SoundBoard> $<TARGET_FILE:board_probe> ${CMAKE_BINARY_DIR}/e2e)
set_tests_properties(end_to_end PROPERTIES TIMEOUT 600)
add_test(NAME caption_e2e COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run_caption_e2e.sh
         $<TARGET_FILE:SoundBoard> $<TARGET_FILE:board_probe> ${CMAKE_BINARY_DIR}/caption_e2e)
set_tests_properties(caption_e2e PROPERTIES TIMEOUT 300)

# Benchmarks that need Windows.
file(GLOB WIN_BENCH CONFIGURE_DEPENDS bench/win_*.cpp)
foreach(src ${WIN_BENCH})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${RC_FILE})
  target_link_libraries(${name} PRIVATE board_win)
  add_dependencies(${name} embedded_tool)
endforeach()
