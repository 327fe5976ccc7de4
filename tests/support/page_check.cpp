#include "tests/support/page_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "vexalib/message.h"

namespace testutil {

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
