# Writes the man page velko.1 from the text of `velko --help`, so that the two
# cannot drift apart. Run as: cmake -DVELKO=<program> -DVERSION=<x.y.z> -DOUT=<file> -P manpage.cmake
cmake_minimum_required(VERSION 3.16)
execute_process(COMMAND "${VELKO}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${VELKO} --help failed with status ${status}")
endif()
# The help names the program as it was called.
string(REPLACE "${VELKO}" "velko" help "${help}")
# troff: a backslash is written \e, a minus sign \-.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

set(synopsis "")
set(description "")
set(options "")
set(after "")
set(section synopsis)
foreach(line IN LISTS lines)
  if(section STREQUAL "synopsis")
    if(line MATCHES "^Usage: (.*)$")
      string(APPEND synopsis "${CMAKE_MATCH_1}\n.br\n")
      continue()
    endif()
    if(line MATCHES "^       (velko.*)$")
      string(APPEND synopsis "${CMAKE_MATCH_1}\n.br\n")
      continue()
    endif()
    set(section description)
  endif()
  if(section STREQUAL "description")
    if(line STREQUAL "")
      set(section options)
    else()
      string(APPEND description "${line}\n")
    endif()
  elseif(section STREQUAL "options")
    if(line MATCHES "^  ([^ ].*[^ ]|[^ ])  +([^ ].*)$")
      # "  --name VALUE        what it does"
      string(APPEND options ".TP\n.B ${CMAKE_MATCH_1}\n${CMAKE_MATCH_2}\n")
    elseif(line MATCHES "^  ([^ ]+) ([^ ].*)$")
      # "  --long-option-name what it does", one blank between
      string(APPEND options ".TP\n.B ${CMAKE_MATCH_1}\n${CMAKE_MATCH_2}\n")
    elseif(line MATCHES "^        +([^ ].*)$")
      string(APPEND options "${CMAKE_MATCH_1}\n")
    elseif(line STREQUAL "")
      set(section after)
    endif()
  elseif(NOT line STREQUAL "")
    string(APPEND after "${line}\n")
  elseif(NOT after STREQUAL "")
    string(APPEND after ".PP\n")
  endif()
endforeach()

file(WRITE "${OUT}"
".TH VELKO 1 \"\" \"velko ${VERSION}\" \"User Commands\"
.SH NAME
velko \\- Hartree\\-Fock for molecules of H to Kr in standard basis sets
.SH SYNOPSIS
${synopsis}.SH DESCRIPTION
${description}.SH OPTIONS
${options}.SH NOTES
${after}.SH SEE ALSO
The README in /usr/share/doc/velko or the source repository: input format,
exit statuses, QCSchema and the QCEngine harness.
")
