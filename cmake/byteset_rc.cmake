# Writes a resource-script fragment that stores a file as a ByteSet: a DWORD marker 1, a
# DWORD byte count, then the bytes as little-endian words (an odd last byte is padded with a
# zero the count leaves out). Run as: cmake -DIN=file -DOUT=fragment.rc -DNAME=RES -P this.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR count "${digits} / 2")
if(count EQUAL 0)
  message(FATAL_ERROR "${IN} is empty")
endif()
math(EXPR odd "${count} % 2")
if(odd)
  string(APPEND hex "00")
endif()
# Sixteen words a line; each byte pair ab cd becomes the word 0xcdab.
string(REGEX REPLACE "(..)(..)" "0x\\2\\1," words "${hex}")
string(REPEAT "0x....," 16 line)  # CMake's regular expressions have no {n}
string(REGEX REPLACE "(${line})" "\\1\n  " words "${words}")
string(REGEX REPLACE ",[\n ]*$" "" words "${words}")
file(WRITE "${OUT}.tmp" "${NAME} RCDATA\nBEGIN\n  1L, ${count}L,\n  ${words}\nEND\n")
file(RENAME "${OUT}.tmp" "${OUT}")
