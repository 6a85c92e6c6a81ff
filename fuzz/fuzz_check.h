// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzz target shares: a check that stops the run, so that libFuzzer keeps the
// input that broke the rule, and a reader of the input's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace tavrel::fuzz {

// Takes the input a few bytes at a time; zeros once it is used up.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    // A number of the input's bytes (never a bool or an enum: any byte must be a value).
    template <typename T>
    T Take() {
        T value{};
        const std::size_t n = size_ - at_ < sizeof value ? size_ - at_ : sizeof value;
        std::memcpy(&value, data_ + at_, n);
        at_ += n;
        return value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace tavrel::fuzz
