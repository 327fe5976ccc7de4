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

// Whether dir, its links followed, is the directory root (resolved, ending
// with '/') or lies below it; id receives where dir is.
bool resolves_inside(const std::string& root, const std::string& dir, libutils::dir_identity_t& id) {
  return !root.empty() && libutils::dir_identity(dir, id) &&
         (id.real_path + '/').compare(0, root.size(), root) == 0;
}

void walk_albums(std::list<albumdir_t>& out, const path_t& parent, std::list<std::string>& names,
                 walk_t& walk) {
  for (const std::string& name : names) {
    path_t p{parent.base, "", name};
    parent.submake(p.book);
    std::string dir;
    p.make(dir);
    std::list<std::string> subdirs;
    if (!walk.enter(dir) || !walked_subdirs(subdirs, p)) continue;
    if (std::find(subdirs.begin(), subdirs.end(), "original") != subdirs.end()) {
      // The album's other subdirectories (sizes, thumbnails ...) are never walked.
      out.emplace_back(p.book, p.album);
    } else if (!subdirs.empty()) {
      walk_albums(out, p, subdirs, walk);
    }
  }
}

}  // namespace

walk_t::walk_t(const std::string& book) {
  libutils::dir_identity_t id;
  // An empty name is the current directory, as for a listing.
  if (!libutils::dir_identity(book.empty() ? "." : book, id)) return;  // nothing is inside a book that cannot be reached
  root_ = id.real_path;
  if (root_.back() != '/') root_ += '/';
  entered_.emplace(id.device, id.inode);
}

bool walk_t::enter(const std::string& dir) {
  libutils::dir_identity_t id;
  return resolves_inside(root_, dir, id) && entered_.emplace(id.device, id.inode).second;
}

bool walk_t::inside(const std::string& dir) const {
  libutils::dir_identity_t id;
  return resolves_inside(root_, dir, id);
}

bool walk_names(std::list<std::string>& out, const std::string& dir) {
  return walked_subdirs(out, path_t{dir, "", ""});
}

bool collection_names(std::list<std::string>& out, const std::string& dir) {
  std::list<std::string> names;
  if (!libutils::getdirs(names, dir.c_str())) return false;
  names.reverse();
  names.remove_if([](const std::string& name) { return name == "txt" || name.compare(0, 1, "_") == 0; });
  out.splice(out.end(), names);
  return true;
}

void hierar_albums(std::list<albumdir_t>& out, const path_t& parent, std::list<std::string>& names) {
  std::string top;
  parent.make(top);
  walk_t walk(top);
  walk_albums(out, parent, names, walk);
}

bool albumdirs_compare(const albumdir_t& a, const albumdir_t& b) {
  // std::string compares as unsigned bytes, the shorter of two equal
  // prefixes first.
  return a.second < b.second;
}

void sort_albums(std::list<albumdir_t>& albums) { albums.sort(albumdirs_compare); }

void load_albums(std::list<album_t>& out, const path_t& base, const std::list<albumdir_t>& albums,
                 libutils::report_log_t& log) {
  std::string root;
  base.make(root);
  for (const albumdir_t& a : albums) {
    out.emplace_back();
    out.back().load(path_t{root, a.first, a.second}, log);
  }
}

}  // namespace pictora
