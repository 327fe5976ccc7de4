#include "app/build_context.h"

#include <ctime>

#include <algorithm>

#include "libutils/jobs.h"

namespace pictora {

namespace {

// tzset() fills tzname from TZ; the first entry is the standard-time name.
std::string standard_zone_name() {
  tzset();
  return tzname[0] != nullptr ? tzname[0] : "";
}

}  // namespace

build_context_t::build_context_t(const global_t& settings_now, unsigned jobs_asked)
    : settings(settings_now),
      jobs(std::min(jobs_asked != 0 ? jobs_asked : libutils::usable_processors(), max_build_jobs)),
      page_zone(standard_zone_name()) {}

void build_context_t::item_finished(sigc::signal<void, double>& stage, std::size_t done, std::size_t total,
                                    const std::string& item) const {
  if (item_done) item_done(item, done, total);
  stage.emit(static_cast<double>(done) / static_cast<double>(total));
}

}  // namespace pictora
