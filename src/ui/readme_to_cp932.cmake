# cmake -DINPUT=readme.txt -DOUTPUT=out.txt -P readme_to_cp932.cmake
# UTF-8 with LF in, Shift-JIS (code page 932) with CR LF out. iconv fails on any
# character code page 932 lacks, so such a character stops the build instead of
# turning into a question mark in the user's readme.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
set(crlf "${OUTPUT}.utf8-crlf")
file(WRITE "${crlf}" "${text}")
find_program(ICONV iconv REQUIRED)
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 "${crlf}"
                OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE result ERROR_VARIABLE error)
file(REMOVE "${crlf}")
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "readme.txt does not convert to Shift-JIS: ${error}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
