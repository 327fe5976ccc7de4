#include "app/listing.h"

#include <sys/stat.h>

#include <algorithm>

#include "libutils/dirutil.h"

namespace pictora {

namespace {

bool is_secret(const path_t& p, const std::string& name) {
  std::string marker;
  p.make(marker, name, "txt");
  pathjoin(marker, "secret.txt");
  struct stat st;
  return ::stat(marker.c_str(), &st) == 0;
}

// Whether the subdirectory name of p's directory is a book or album at all.
bool is_walked(const path_t& p, const std::string& name) {
  return name != "txt" && name.compare(0, 1, "_") != 0 && !is_secret(p, name);
}

// The subdirectories of p's directory that are books or albums, descending.
bool walked_subdirs(std::list<std::string>& out, const path_t& p) {
  std::string dir;
  p.make(dir);
  std::list<std::string> names;
  if (!libutils::getdirs(names, dir.c_str())) return false;
  names.reverse();
  names.remove_if([&](const std::string& name) { return !is_walked(p, name); });
  out.splice(out.end(), names);
  return true;
}

}  // namespace

bool walk_names(std::list<std::string>& out, const std::string& dir) {
  return walked_subdirs(out, path_t{dir, "", ""});
}

void hierar_albums(std::list<albumdir_t>& out, const path_t& parent, std::list<std::string>& names) {
  for (const std::string& name : names) {
    path_t p{parent.base, "", name};
    parent.submake(p.book);
    std::list<std::string> subdirs;
    if (!walked_subdirs(subdirs, p)) continue;
    if (std::find(subdirs.begin(), subdirs.end(), "original") != subdirs.end()) {
      // The album's other subdirectories (sizes, thumbnails ...) are never walked.
      out.emplace_back(p.book, p.album);
    } else if (!subdirs.empty()) {
      hierar_albums(out, p, subdirs);
    }
  }
}

bool albumdirs_compare(const albumdir_t& a, const albumdir_t& b) {
  // std::string compares as unsigned bytes, the shorter of two equal
  // prefixes first.
  return a.second < b.second;
}

void sort_albums(std::list<albumdir_t>& albums) { albums.sort(albumdirs_compare); }

void load_albums(std::list<album_t>& out, const path_t& base, const std::list<albumdir_t>& albums) {
  std::string root;
  base.make(root);
  for (const albumdir_t& a : albums) {
    out.emplace_back();
    out.back().load(path_t{root, a.first, a.second});
  }
}

}  // namespace pictora
