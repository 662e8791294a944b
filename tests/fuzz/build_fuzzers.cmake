# Configures (once) and builds the fuzz targets with clang: cmake -DSOURCE= -DBINARY=
# -DCOMPILER= -DGENERATOR= -P build_fuzzers.cmake
if(NOT EXISTS ${BINARY}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
                          -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_BUILD_TYPE=RelWithDebInfo
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "configuring the fuzz targets failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the fuzz targets failed")
endif()
