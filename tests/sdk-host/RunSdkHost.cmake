# Installs the SDK from BUILD_DIR into a fresh prefix under WORK_DIR, builds this folder's host
# against it as a separate project and runs it. Called by CTest with -P.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  message(STATUS "${what}: ok")
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component sdk)
if(NOT EXISTS ${prefix}/include/jxc/plugin/FactoryIntf.h OR NOT EXISTS ${prefix}/include/jxc/platform/core/Dataset.h)
  message(FATAL_ERROR "SDK headers missing under ${prefix}")
endif()

set(config_args -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix})
if(CXX_FLAGS)
  list(APPEND config_args "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}") # a sanitizer build builds the host alike
endif()
if(DEFINED Qt6_DIR)
  list(APPEND config_args -DQt6_DIR=${Qt6_DIR})
endif()
run("configure" ${CMAKE_COMMAND} ${config_args})
run("build" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)

find_program(host NAMES sdk-host PATHS ${WORK_DIR}/build NO_DEFAULT_PATH)
if(NOT host)
  message(FATAL_ERROR "sdk-host not built")
endif()
run("run" ${host})
if(NOT last_output MATCHES "sdk-host: ok")
  message(FATAL_ERROR "sdk-host did not report success:\n${last_output}")
endif()
