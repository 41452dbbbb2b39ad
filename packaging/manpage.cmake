# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a program's man page from a template and the program's own --help text, so that the
# page never tells other options than the program takes.
#
#   cmake -DPROGRAM=<exe> -DTEMPLATE=<page.1.in> -DOUT=<page.1> -DVERSION=<x.y.z> -DDATE=<y-m-d>
#         [-DCOMMANDS=ON] -P manpage.cmake
#
# The template's @HELP@ becomes the text of `PROGRAM --help`; with COMMANDS, @COMMANDS@ becomes
# one subsection per command listed under "Commands:" there, holding `PROGRAM NAME --help`.
# Both are set as they are printed (no filling), escaped for roff.
cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM TEMPLATE OUT VERSION DATE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "manpage.cmake: ${var} is not set")
  endif()
endforeach()

# The page is English whatever the locale of the build: the programs speak the locale's
# language (Chinese for zh* locales).
set(ENV{LC_ALL} C.UTF-8)
set(ENV{LANG} C.UTF-8)
unset(ENV{LC_MESSAGES})

function(run_help out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help
                  OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "manpage.cmake: '${PROGRAM} ${ARGN} --help' failed (${rc}): ${err}")
  endif()
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text that roff prints as it stands: backslashes and minus signs escaped, a leading dot or
# apostrophe kept from being read as a request.
function(roff_literal text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}\n.fi" PARENT_SCOPE)
endfunction()

run_help(help)
roff_literal("${help}" HELP)

set(COMMANDS_TEXT "")
if(COMMANDS)
  string(REGEX REPLACE ".*\nCommands:\n" "" list "${help}")
  string(REGEX REPLACE "\n\n.*" "" list "${list}")
  # Each line of the list names one command; MATCHALL would take "^" at the start of what is
  # left after every match, so only newlines mark a line's start.
  string(REGEX MATCHALL "\n  [a-z][a-z-]*" names "\n${list}")
  foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    run_help(usage ${name})
    roff_literal("${usage}" usage)
    string(REPLACE "-" "\\-" title "${name}")
    string(APPEND COMMANDS_TEXT ".SS ${title}\n${usage}\n")
  endforeach()
  if(COMMANDS_TEXT STREQUAL "")
    message(FATAL_ERROR "manpage.cmake: no command found in '${PROGRAM} --help'")
  endif()
  string(REGEX REPLACE "\n$" "" COMMANDS_TEXT "${COMMANDS_TEXT}")
endif()
set(COMMANDS "${COMMANDS_TEXT}")

configure_file(${TEMPLATE} ${OUT} @ONLY)
