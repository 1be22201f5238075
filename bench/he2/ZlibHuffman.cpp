// SPDX-License-Identifier: Apache-2.0
// The peer of `velpack he2` in bench/he2/run: a small program that does with zlib what a user
// would pick instead, Huffman-only raw deflate (Z_HUFFMAN_ONLY) and its inflate, streaming
// from a file or standard input to standard output in 256 KiB blocks.
//   zlib_huffman encode|decode [FILE]
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBlock = 256 * 1024;

int fail(const char* what) {
    std::fprintf(stderr, "zlib_huffman: %s\n", what);
    return 1;
}

int run(bool encode, std::FILE* in) {
    z_stream s{};
    const int init =
        encode ? deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_HUFFMAN_ONLY) : inflateInit2(&s, -15);
    if (init != Z_OK) return fail("cannot initialise zlib");
    std::vector<unsigned char> input(kBlock), output(kBlock);
    int status = Z_OK;
    bool end = false;
    while (status != Z_STREAM_END) {
        if (s.avail_in == 0 && !end) {
            const std::size_t got = std::fread(input.data(), 1, input.size(), in);
            if (std::ferror(in)) return fail("cannot read the input");
            end = got < input.size();
            s.next_in = input.data();
            s.avail_in = static_cast<uInt>(got);
        }
        s.next_out = output.data();
        s.avail_out = static_cast<uInt>(output.size());
        status = encode ? deflate(&s, end ? Z_FINISH : Z_NO_FLUSH) : inflate(&s, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return fail("corrupt data");
        const std::size_t made = output.size() - s.avail_out;
        if (std::fwrite(output.data(), 1, made, stdout) != made) return fail("cannot write standard output");
        if (!encode && status == Z_BUF_ERROR && end && s.avail_in == 0) return fail("the data ends early");
    }
    encode ? deflateEnd(&s) : inflateEnd(&s);
    return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (std::strcmp(argv[1], "encode") != 0 && std::strcmp(argv[1], "decode") != 0))
        return fail("usage: zlib_huffman encode|decode [FILE]");
    std::FILE* in = argc == 3 ? std::fopen(argv[2], "rb") : stdin;
    if (!in) return fail("cannot open the input");
    return run(std::strcmp(argv[1], "encode") == 0, in);
}
