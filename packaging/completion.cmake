# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a shell's completion script of mirelune-cli, as the program makes it from its command
# table, so that the installed script never lags behind the program.
#
#   cmake -DPROGRAM=<mirelune-cli> -DSHELL_NAME=bash|zsh|fish -DOUT=<file> -P completion.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM SHELL_NAME OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "completion.cmake: ${var} is not set")
  endif()
endforeach()
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
execute_process(COMMAND ${PROGRAM} completion ${SHELL_NAME}
                OUTPUT_FILE "${OUT}.tmp" ERROR_VARIABLE err RESULT_VARIABLE rc)
file(SIZE "${OUT}.tmp" size)
if(NOT rc EQUAL 0 OR size EQUAL 0)
  file(REMOVE "${OUT}.tmp")
  message(FATAL_ERROR "completion.cmake: '${PROGRAM} completion ${SHELL_NAME}' failed (${rc}): ${err}")
endif()
file(RENAME "${OUT}.tmp" "${OUT}")
