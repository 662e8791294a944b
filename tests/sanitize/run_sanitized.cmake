# Configures, builds and runs the sanitizer build's default tests (engine and command line):
# cmake -DSOURCE= -DBINARY= -DGENERATOR= -DCXX= [-DLAUNCHER=ccache] -P run_sanitized.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
                        -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}"
                        -DCMAKE_BUILD_TYPE=RelWithDebInfo
                        -DKVARLEN_SANITIZE=ON -DKVARLEN_BUILD_UI=OFF -DKVARLEN_BUILD_BENCH=OFF
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the sanitizer build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the sanitizer build failed")
endif()
# Any report is a failure; the fuzz targets have their own run.
set(ENV{ASAN_OPTIONS} "detect_leaks=1:abort_on_error=1")
set(ENV{UBSAN_OPTIONS} "halt_on_error=1:print_stacktrace=1")
execute_process(COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${BINARY} -LE "exhaustive-long|fuzz"
                        -j2 --output-on-failure
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "tests failed under the sanitizers")
endif()
