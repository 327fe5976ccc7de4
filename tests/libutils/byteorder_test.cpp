// Integers stored in a file's byte order, read through either byte-order
// object the way the EXIF reader does.
#include "libutils/byteorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

template <typename T>
T stored(const unsigned char (&bytes)[sizeof(T)]) {
  T v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

TEST(ByteOrder, ReadsStoredIntegers) {
  const unsigned char b2[2] = {0x12, 0x34};
  const unsigned char b4[4] = {0x12, 0x34, 0x56, 0x78};
  const unsigned char b8[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  struct case_t {
    const char* what;
    const libutils::byteorder& order;
    unsigned short s;
    uint32_t l;
    unsigned long long ll;
  };
  const libutils::intel_byteorder intel;
  const libutils::motorola_byteorder motorola;
  const case_t cases[] = {
      {"II", intel, 0x3412, 0x78563412u, 0x0807060504030201ull},
      {"MM", motorola, 0x1234, 0x12345678u, 0x0102030405060708ull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.order.tohs(stored<unsigned short>(b2)), c.s);
    EXPECT_EQ(c.order.tohl(stored<uint32_t>(b4)), c.l);
    EXPECT_EQ(c.order.tohll(stored<unsigned long long>(b8)), c.ll);
  }
  EXPECT_EQ(libutils::itohs(stored<unsigned short>(b2)), 0x3412);
  EXPECT_EQ(libutils::itohl(stored<uint32_t>(b4)), 0x78563412u);
  EXPECT_EQ(libutils::itohll(stored<unsigned long long>(b8)), 0x0807060504030201ull);
  EXPECT_EQ(libutils::mtohll(stored<unsigned long long>(b8)), 0x0102030405060708ull);
}

}  // namespace
