// Reading a fuzzer's input as a stream of small choices and texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ordavi::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool Empty() const { return p_ >= end_; }
  std::uint8_t Byte() { return Empty() ? 0 : *p_++; }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  // A text of up to `max` bytes, its length taken from the input.
  std::string Text(std::size_t max = 255) {
    std::size_t n = Byte();
    if (n > max) n = max;
    std::string s;
    while (n-- > 0 && !Empty()) s += static_cast<char>(Byte());
    return s;
  }
  // Everything left.
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(p_), static_cast<std::size_t>(end_ - p_));
    p_ = end_;
    return s;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

}  // namespace ordavi::fuzz
