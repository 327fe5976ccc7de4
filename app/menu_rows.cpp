#include "app/menu_rows.h"

#include <cctype>

#include "app/album.h"
#include "app/batchupdate.h"
#include "app/global.h"
#include "app/listing.h"
#include "app/path.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

// The first line of text, then a line break and the second line when there
// is one; trailing white space removed.
std::string first_two_lines(const std::string& text) {
  std::string out;
  size_t at = 0;
  for (int line = 0; line < 2 && at < text.size(); ++line) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (line > 0) out += '\n';
    out.append(text, at, end - at);
    if (!out.empty() && out.back() == '\r') out.pop_back();
    at = end + 1;
  }
  while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
  return out;
}

// Every top-level directory of base in descending order, without "txt";
// false when base cannot be listed.
bool listed_names(std::list<std::string>& names, const std::string& base) {
  const bool listed = libutils::getdirs(names, base.c_str());
  names.reverse();
  names.remove("txt");
  return listed;
}

}  // namespace

bool read_menu_listing(const std::string& base, menu_listing_t& out, libutils::report_log_t& log) {
  out = menu_listing_t();
  loadcommenttxt(path_t{"", base, ""}, out.title, out.head, out.last, log);
  std::list<std::string> names;
  const bool listed = listed_names(names, base);
  for (const std::string& name : names) {
    const path_t dir{"", base, name};
    menu_row_t row;
    std::string head, last;
    if (!loadcommenttxt(dir, row.title, head, last, log)) continue;
    dir.make(row.path);
    row.name = name;
    row.is_album = libutils::exists(row.path + path_separator + "original");
    if (row.has_viewer()) row.count = loadcounttxt(dir, log);
    row.comment = first_two_lines(head);
    row.secret = libutils::exists(row.path + path_separator + "txt" + path_separator + "secret.txt");
    out.rows.push_back(std::move(row));
  }
  return listed;
}

std::list<std::string> row_viewer_arguments(const std::string& base, const std::string& name,
                                            libutils::report_log_t& log) {
  const std::string size = "size" + std::to_string(g_global.view_size);
  std::string own;
  path_t{"", base, name}.make(own, size);
  if (libutils::exists(own)) return {own};

  std::list<std::string> args;
  auto add_pair = [&args, &size](const path_t& album, const std::string& list) {
    std::string dir, file;
    album.make(dir, size);
    album.make(file, "txt", list);
    args.push_back("-C" + dir);
    args.push_back("-@" + file);
  };
  // Top-level directories other than the collections.
  std::list<std::string> names;
  collection_names(names, base);
  if (name == s_goodpicks_dir) {
    for (const std::string& d : names) add_pair(path_t{"", base, d}, list_kind(bestname_good).file);
    return args;
  }
  const std::string list = list_kind(collection_kind(name)).file;
  std::list<albumdir_t> albums;
  hierar_albums(albums, path_t{base, "", ""}, names);
  sort_albums(albums);
  for (const albumdir_t& a : albums) {
    const path_t album{base, a.first, a.second};
    // Read as every list is read, so that one that is no regular file
    // never reaches the viewer and lines that are paths are reported.
    best_t entries;
    if (entries.load(album, list, log)) add_pair(album, list);
  }
  return args;
}

}  // namespace pictora
