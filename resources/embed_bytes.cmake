# cmake -DINPUT=file -DOUTPUT=file.inc -P embed_bytes.cmake
# Writes the bytes of INPUT as a comma-separated C initializer list.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT} "${bytes}\n")
