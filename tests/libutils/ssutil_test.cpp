// Stream helpers: repeated characters, raw runs and the format-flag guard.
#include "libutils/ssutil.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(StreamOutput, ManipulatorsWriteExactBytes) {
  std::ostringstream os;
  const char raw[] = {'a', '\0', 'b', 'c'};
  os << libutils::_putcn{'-', 3} << '|' << libutils::_putspace{2} << '|'
     << libutils::_putn{raw, 3} << '|' << libutils::_putcn{'x', 0} << libutils::_putspace{0};
  EXPECT_EQ(os.str(), std::string("---|  |a\0b|", 11));
}

TEST(StreamOutput, KeepflagRestoresFormatFlags) {
  std::ostringstream os;
  {
    libutils::keepflag keep(os);
    os << std::hex << std::uppercase << 255 << ' ';
  }
  os << 255;
  EXPECT_EQ(os.str(), "FF 255");
}

}  // namespace
