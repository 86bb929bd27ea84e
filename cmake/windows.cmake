# Windows build: SoundBoard.exe, the Windows tests and the end-to-end probe.
if(NOT EXISTS ${GENERATED_DIR}/main_form.bin)
  message(FATAL_ERROR "GENERATED_DIR must name the native build's generated/ folder")
endif()
# One self-contained exe: no MinGW runtime DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(board_win STATIC ${WIN_SOURCES})
target_link_libraries(board_win PUBLIC board_core gdiplus winmm comctl32 msimg32 shlwapi ole32 user32 gdi32 kernel32)

set(RC_FILE ${CMAKE_SOURCE_DIR}/resources/soundboard.rc)
set(GENERATED_FILES ${GENERATED_DIR}/app.ico ${GENERATED_DIR}/main_form.bin ${GENERATED_DIR}/clips.bin)
set_source_files_properties(${RC_FILE} PROPERTIES OBJECT_DEPENDS "${GENERATED_FILES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${GENERATED_DIR} -I ${CMAKE_SOURCE_DIR}/resources")

add_executable(SoundBoard WIN32 app/win32/main.cpp ${RC_FILE})
target_link_libraries(SoundBoard PRIVATE board_win)
target_link_options(SoundBoard PRIVATE -municode $<$<CONFIG:Release>:-s>)

# Windows tests: one gtest executable run under Wine, with the program's resources linked in.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
add_executable(wine_tests ${WINE_TESTS} ${RC_FILE})
target_link_libraries(wine_tests PRIVATE board_win GTest::gtest_main)
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
target_link_libraries(board_probe PRIVATE board_win)
target_link_options(board_probe PRIVATE -municode)
add_test(NAME end_to_end COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.sh
         $<TARGET_FILE:SoundBoard> $<TARGET_FILE:board_probe> ${CMAKE_BINARY_DIR}/e2e)
set_tests_properties(end_to_end PROPERTIES TIMEOUT 600)

# Benchmarks that need Windows.
file(GLOB WIN_BENCH CONFIGURE_DEPENDS bench/win_*.cpp)
foreach(src ${WIN_BENCH})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${RC_FILE})
  target_link_libraries(${name} PRIVATE board_win)
endforeach()
