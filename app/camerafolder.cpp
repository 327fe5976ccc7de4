#include "app/camerafolder.h"

#include <cstdio>
#include <iostream>
#include <list>

#include "app/global.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"

namespace pictora {

bool list_source(const std::string& dir, std::vector<source_file_t>& out) {
  out.clear();
  // An empty name would list the current directory.
  if (dir.empty()) return false;
  std::list<std::string> names;
  if (!libutils::getfiles(names, dir.c_str())) return false;
  for (std::string& name : names) {
    const source_kind_t kind = ispicture(name) ? source_kind_t::picture
                               : ismovie(name) ? source_kind_t::movie
                               : is_audio(name) ? source_kind_t::sound
                                                : source_kind_t::other;
    out.push_back(source_file_t{std::move(name), kind});
  }
  return true;
}

libgr::direction2ul_t movie_still_size(const libgr::direction2ul_t& frame, const size_limit_t& box) {
  const std::uint64_t n = halvings_to_fit(frame.x, frame.y, box.x, box.y);
  return libgr::direction2ul_t{static_cast<std::uint32_t>((frame.x >> n) / 4),
                               static_cast<std::uint32_t>((frame.y >> n) / 4)};
}

bool load_source_thumbnail(libgr::image2d_t& image, const std::string& dir, const source_file_t& file,
                           temp_t& temp, const std::string& prog_name, const global_t& settings,
                           libutils::report_log_t& log) {
  const std::string path = dir + path_separator + file.name;
  if (file.kind == source_kind_t::picture) return load_thumbnail(image, path, settings, log);
  if (file.kind != source_kind_t::movie || !temp.init(prog_name, log)) return false;
  libgr::direction2ul_t frame;
  std::string duration, rate;
  ffidentify(path, frame, duration, rate, log);
  const std::string still = temp.path() + path_separator + ffjpgname(file.name);
  if (!ffsavethumbnail(path, still, movie_still_size(frame, settings.shrink_size), log)) return false;
  const bool loaded = load_jpeg(image, still, settings, log);
  // Two movies of one stem ("a.mov", "a.mp4") would otherwise share a still.
  std::remove(still.c_str());
  return loaded;
}

std::uint64_t angle_code(int angle, const std::string& name, libutils::report_log_t& log) {
  if (angle % 90 == 0 && angle >= 0 && angle <= 270) return static_cast<std::uint64_t>(angle / 90);
  libutils::warn(log, name, ": " + std::to_string(angle) + ": not 90/180/270.");
  return 0;
}

}  // namespace pictora
