# SPDX-License-Identifier: Apache-2.0
# Writes a C++ source holding a file's bytes as an array, for a program that carries another
# file inside itself. Run as a script:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DNAMESPACE=ns -DNAME=kImage -P EmbedFile.cmake
# The source defines `const unsigned char NAME[]` and `const std::size_t NAMESize` in NAMESPACE.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Lines of 32 bytes keep the generated file readable in an editor.
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.new" "// Generated from ${INPUT} by cmake/EmbedFile.cmake; not to be edited.
#include <cstddef>

namespace ${NAMESPACE} {
extern const unsigned char ${NAME}[] = {
${bytes}
};
extern const std::size_t ${NAME}Size = ${size};
}  // namespace ${NAMESPACE}
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
