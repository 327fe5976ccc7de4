// Helpers for tests of the generated pages: the English catalogue whose words
// the pages carry, and pages with their generation time made comparable.
#pragma once

#include <string>

#include "app/global.h"

namespace testutil {

// The settings the album-style page tests share, set for the object's life:
// a 64x48 shrink box and play box, a header line, no retina links and the
// given address. g_global is restored when the object goes.
class page_settings_t {
 public:
  explicit page_settings_t(const std::string& address);
  ~page_settings_t();
  page_settings_t(const page_settings_t&) = delete;
  page_settings_t& operator=(const page_settings_t&) = delete;

 private:
  pictora::global_t saved_;
};

// Loads the English message catalogue of the source tree, under the C locale.
void load_english_catalogue();

// page with its "HTML Generated: <time> (<zone>)" line replaced by
// "HTML Generated: TIME (ZONE)" when the time is non-empty and the zone is
// this process's standard-time zone; any other page comes back unchanged, so
// that comparing it with an expected page fails.
std::string without_time(const std::string& page);

}  // namespace testutil
