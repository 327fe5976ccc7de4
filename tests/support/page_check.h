// Helpers for tests of the generated pages: the English catalogue whose words
// the pages carry, and pages with their generation time made comparable.
#pragma once

#include <string>

namespace testutil {

// Loads the English message catalogue of the source tree, under the C locale.
void load_english_catalogue();

// page with its "HTML Generated: <time> (<zone>)" line replaced by
// "HTML Generated: TIME (ZONE)" when the time is non-empty and the zone is
// this process's standard-time zone; any other page comes back unchanged, so
// that comparing it with an expected page fails.
std::string without_time(const std::string& page);

}  // namespace testutil
