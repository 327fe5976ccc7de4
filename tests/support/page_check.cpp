#include "tests/support/page_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "vexalib/message.h"

namespace testutil {

page_settings_t::page_settings_t(const std::string& address) : saved_(pictora::g_global) {
  pictora::global_t& g = pictora::g_global;
  g.shrink_size = {64, 48};
  g.html_header = "<meta charset=\"UTF-8\">";
  g.html_address = address;
  g.movie_thumbnail_retina = false;
  g.play_size_x = 64;
  g.play_size_y = 48;
}

page_settings_t::~page_settings_t() { pictora::g_global = saved_; }

void load_english_catalogue() {
  ::setenv("LC_ALL", "C", 1);
  ASSERT_EQ(vexalib::init_message(PICTORA_SOURCE_DIR "/data/", "pictora"),
            PICTORA_SOURCE_DIR "/data/pictora.msg");
}

std::string without_time(const std::string& page) {
  static const std::string lead = "\nHTML Generated: ";
  const size_t start = page.find(lead);
  if (start == std::string::npos) return page;
  const size_t end = page.find('\n', start + 1);
  if (end == std::string::npos) return page;
  tzset();
  const std::string zone = std::string(" (") + tzname[0] + ")";
  const std::string line = page.substr(start + lead.size(), end - start - lead.size());
  if (line.size() <= zone.size() || line.compare(line.size() - zone.size(), zone.size(), zone) != 0) return page;
  return page.substr(0, start) + lead + "TIME (ZONE)" + page.substr(end);
}

}  // namespace testutil
