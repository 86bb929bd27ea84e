# cmake -DGENERATOR=gen_clips -DEXPECTED=clips.bin -DWORK=dir -P run_twice.cmake
# Runs the clip generator again and fails unless it writes exactly the catalogue the build did.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK}/clips.bin ${WORK}/seeds RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the second run of the generator failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/clips.bin ${EXPECTED} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "a second run of the generator wrote different clips than ${EXPECTED}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "two runs of the generator wrote byte-identical clips")
