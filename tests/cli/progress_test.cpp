// The terminal progress bars: their text and how stages follow each other.
#include "cli/progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace pictora::cli {
namespace {

TEST(FormatBar, FillsCellsAndClampsFractions) {
  struct case_t {
    double fraction;
    const char* item;
    const char* line;
  };
  const case_t cases[] = {
      {0.0, "", "shrink     [----------]   0%"},
      {0.25, "a.jpg", "shrink     [##--------]  25%  a.jpg"},
      {1.0, "", "shrink     [##########] 100%"},
      {1.7, "", "shrink     [##########] 100%"},
      {-0.5, "", "shrink     [----------]   0%"},
      {std::nan(""), "", "shrink     [----------]   0%"},
      {0.5, "0123456789012345678901234567890123456789.jpg",
       "shrink     [#####-----]  50%  ...12345678901234567890123456789.jpg"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.fraction);
    EXPECT_EQ(c.line, format_bar("shrink", c.fraction, c.item, 10));
  }
}

TEST(ProgressBars, OneLinePerStageRedrawnInPlace) {
  std::ostringstream os;
  sigc::signal<void, double> copy, shrink;
  {
    progress_bars_t bars(os, true);
    bars.attach(copy, "copy");
    bars.attach(shrink, "shrink");
    bars.heading("/book/album");
    bars.set_item("a.jpg");
    copy.emit(0.5);
    copy.emit(1.0);
    shrink.emit(1.0);
  }
  const std::string empty30(30, '-');
  const std::string half = std::string(15, '#') + std::string(15, '-');
  const std::string full(30, '#');
  EXPECT_EQ("/book/album\n"
            "\rcopy       [" + half + "]  50%  a.jpg\x1b[K"
            "\rcopy       [" + full + "] 100%  a.jpg\x1b[K\n"
            "\rshrink     [" + full + "] 100%  a.jpg\x1b[K\n",
            os.str());
}

TEST(ProgressBars, DisabledDrawsNothing) {
  std::ostringstream os;
  sigc::signal<void, double> stage;
  {
    progress_bars_t bars(os, false);
    bars.attach(stage, "copy");
    bars.heading("/book");
    stage.emit(0.5);
  }
  EXPECT_EQ("", os.str());
}

}  // namespace
}  // namespace pictora::cli
