// SPDX-License-Identifier: Apache-2.0
#include "platform/support/StandardInput.h"

#include <unistd.h>

#include <cerrno>
#include <streambuf>

namespace platform {

namespace {

// Reads one byte per underflow: a buffer of one byte cannot read ahead.
class UnbufferedFdBuffer final : public std::streambuf {
public:
    explicit UnbufferedFdBuffer(int fd) : fd_(fd) {}

protected:
    int_type underflow() override {
        for (;;) {
            ssize_t got = ::read(fd_, &byte_, 1);
            if (got == 1) {
                setg(&byte_, &byte_, &byte_ + 1);
                return traits_type::to_int_type(byte_);
            }
            if (got < 0 && errno == EINTR) continue;
            return traits_type::eof();
        }
    }

private:
    int fd_;
    char byte_ = 0;
};

}  // namespace

std::istream& unbufferedStandardInput() {
    static UnbufferedFdBuffer buffer(STDIN_FILENO);
    static std::istream stream(&buffer);
    return stream;
}

std::optional<std::string> readInputLine(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace platform
