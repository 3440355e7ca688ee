# SPDX-License-Identifier: GPL-2.0-or-later
# cmake -DMSGFMT=... -DINPUT=x.po -DOUTPUT=x.mo -P Compile.cmake
# msgfmt --check, without its warning on every "\r": the program's messages break their lines so.
execute_process(COMMAND ${MSGFMT} --check -o ${OUTPUT} ${INPUT} RESULT_VARIABLE result ERROR_VARIABLE errors)
string(REGEX REPLACE "[^\n]*'\\\\r' escape sequence\n" "" errors "${errors}")
if(errors)
  message("${errors}")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "msgfmt failed on ${INPUT}")
endif()
