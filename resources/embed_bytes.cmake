# cmake -DINPUT=file -DOUTPUT=file.inc -P embed_bytes.cmake
# Writes the bytes of INPUT as a comma-separated C initializer list, sixteen to a line.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "${bytes}\n")
