# gessoria --grab on a file that does not exist: exit status 1, the open's message on
# standard error, and no picture written.
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --grab ${OUT} /nonexistent/scene.3ds
                RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, expected 1")
endif()
if(NOT errors MATCHES "Gessoria experienced problems loading file: /nonexistent/scene.3ds")
  message(FATAL_ERROR "no open message on standard error:\n${errors}")
endif()
if(EXISTS ${OUT})
  message(FATAL_ERROR "a picture was written for a file that failed to open")
endif()
