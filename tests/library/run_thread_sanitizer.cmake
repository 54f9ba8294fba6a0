# Builds the library with the parallel barcode test, the batch worker pool
# and the verifier's decoder pool with their tests, with ThreadSanitizer in
# BUILD_DIR (kept between runs, so later runs rebuild only what changed) and
# runs the tests; any race
# report fails it. Prints "ThreadSanitizer check skipped" and succeeds when
# the compiler cannot build or run a ThreadSanitizer program here.
cmake_minimum_required(VERSION 3.25)

file(MAKE_DIRECTORY "${BUILD_DIR}/probe")
file(WRITE "${BUILD_DIR}/probe/probe.cpp" "#include <thread>\nint main() { int v = 0; std::thread t([&] { v = 1; }); t.join(); return v - 1; }\n")
execute_process(COMMAND "${CXX_COMPILER}" -std=c++20 -fsanitize=thread "${BUILD_DIR}/probe/probe.cpp"
                        -o "${BUILD_DIR}/probe/probe"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  execute_process(COMMAND "${BUILD_DIR}/probe/probe" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
endif()
if(NOT rc EQUAL 0)
  message("ThreadSanitizer check skipped: ${CXX_COMPILER} cannot build or run a ThreadSanitizer program here\n${out}")
  return()
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/library/tsan" -B "${BUILD_DIR}" -G "${GENERATOR}"
                        "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}" "-DKORVEL_SOURCE_DIR=${SOURCE_DIR}"
                        "-DKORVEL_SOURCES_FILE=${SOURCES_FILE}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the ThreadSanitizer build failed:\n${out}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --parallel 2
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building with ThreadSanitizer failed:\n${out}")
endif()

set(ENV{TSAN_OPTIONS} "halt_on_error=1 second_deadlock_stack=1")
set(programs parallel_barcodes_tsan ordered_workers_tsan)
if(EXISTS "${BUILD_DIR}/decoder_pool_tsan")
  list(APPEND programs decoder_pool_tsan)  # built where zxing-cpp is installed
endif()
foreach(program ${programs})
  execute_process(COMMAND "${BUILD_DIR}/${program}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${program} failed under ThreadSanitizer (status ${rc})")
  endif()
endforeach()
