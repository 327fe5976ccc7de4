// Turns integers stored in a file's byte order into host order (the host is
// little-endian).
#pragma once

#include <cstdint>

namespace libutils {

class byteorder {
 public:
  virtual unsigned short tohs(unsigned short v) const = 0;
  virtual uint32_t tohl(uint32_t v) const = 0;
  virtual unsigned long long tohll(unsigned long long v) const = 0;
  virtual ~byteorder() = default;
};

// Data stored little-endian ("II").
class intel_byteorder : public byteorder {
 public:
  unsigned short tohs(unsigned short v) const override { return v; }
  uint32_t tohl(uint32_t v) const override { return v; }
  unsigned long long tohll(unsigned long long v) const override { return v; }
};

// Data stored big-endian ("MM").
class motorola_byteorder : public byteorder {
 public:
  unsigned short tohs(unsigned short v) const override {
    return static_cast<unsigned short>((v >> 8) | (v << 8));
  }
  uint32_t tohl(uint32_t v) const override { return __builtin_bswap32(v); }
  unsigned long long tohll(unsigned long long v) const override { return __builtin_bswap64(v); }
};

inline unsigned short itohs(unsigned short v) { return v; }
inline uint32_t itohl(uint32_t v) { return v; }
inline unsigned long long itohll(unsigned long long v) { return v; }
inline unsigned long long mtohll(unsigned long long v) { return __builtin_bswap64(v); }

}  // namespace libutils
