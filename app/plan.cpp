#include "app/plan.h"

#include <sys/stat.h>

#include <list>
#include <set>

#include "app/album.h"
#include "app/import.h"
#include "app/listing.h"
#include "app/update.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

bool is_directory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The album's own steps once its files are in "original" (or will be):
// each of `made` gets its levels or movie copies, then the pages.
void plan_album_pages(const std::string& dir, const std::vector<std::string>& made, std::vector<std::string>& out) {
  for (const std::string& name : made) {
    if (ispicture(name)) out.push_back("make the size levels and thumbnail of " + name);
    if (ismovie(name)) out.push_back("convert the movie " + name + " and take its stills");
  }
  out.push_back("write " + dir + "/index.html and " + dir + "/list.html");
  out.push_back("write the zoom pages in " + dir + "/html");
}

void plan_album_update(const path_t& album, std::vector<std::string>& out) {
  std::string dir;
  album.make(dir);
  libutils::report_log_t quiet;
  build_record_t record;
  if (read_build_record(album, record, quiet))
    out.push_back("finish the interrupted build of " + dir + " from " + record.source);
  std::list<std::string> names, thumbs;
  libutils::getfiles(names, (dir + "/original").c_str());
  libutils::getfiles(thumbs, (dir + "/thumb").c_str());
  const std::set<std::string> kept(names.begin(), names.end());
  for (const std::string& name : thumbs)
    if (kept.count(name) == 0)
      out.push_back("remove the levels, thumbnail and zoom pages of " + name + ", whose original is gone");
  std::vector<std::string> made;
  for (const std::string& name : names) {
    const std::string original = dir + "/original/" + name;
    const bool stale = ispicture(name) ? libutils::need_update(original, dir + "/thumb/" + name)
                                       : ismovie(name) && !libutils::exists(dir + "/movie0/" + libutils::basename(name) + ".mp4");
    if (stale) made.push_back(name);
  }
  plan_album_pages(dir, made, out);
}

void plan_entered(const path_t& dir, walk_t& walk, std::vector<std::string>& out);

// Each entry of the book directory full the walk enters, then its index page.
void plan_book(const std::string& full, walk_t& walk, std::vector<std::string>& out) {
  std::list<std::string> names;
  libutils::getdirs(names, full.c_str());
  for (const std::string& name : names) {
    const path_t sub{"", full, name};
    std::string path;
    sub.make(path);
    if (walk.enter(path)) plan_entered(sub, walk, out);
  }
  out.push_back("write " + full + "/index.html");
}

void plan_entered(const path_t& dir, walk_t& walk, std::vector<std::string>& out) {
  std::string full;
  dir.make(full);
  if (dir.album[0] == '_') {
    out.push_back("write the collection " + full + " and its pages");
    return;
  }
  if (is_directory(full + "/original")) return plan_album_update(dir, out);
  if (dir.album == "txt") return;
  plan_book(full, walk, out);
}

}  // namespace

std::vector<std::string> plan_make_album(const album_request_t& request) {
  std::string dir;
  request.target.make(dir);
  std::vector<std::string> out;
  if (!libutils::exists(dir)) out.push_back("create the album " + dir);
  out.push_back("write " + dir + "/txt/head.txt and " + dir + "/txt/last.txt");
  const bool secret = libutils::exists(dir + "/txt/secret.txt");
  if (request.secret && !secret) out.push_back("write " + dir + "/txt/secret.txt");
  if (!request.secret && secret) out.push_back("remove " + dir + "/txt/secret.txt");
  const std::set<std::string> own_texts = own_text_names(request.target, request.files);
  std::vector<std::string> made;
  static const char* const turns[] = {"", ", turned 90 degrees", ", turned 180 degrees", ", turned 270 degrees"};
  for (const files_t& file : request.files) {
    out.push_back("copy " + request.source + "/" + file.name + " to " +
                  import_target(request.target, file.name, own_texts) + turns[file.rotation % 4]);
    made.push_back(file.name);
  }
  plan_album_pages(dir, made, out);
  out.push_back("write " + request.target.book + "/index.html");
  return out;
}

std::vector<std::string> plan_update(const path_t& dir) {
  std::vector<std::string> out;
  std::string full;
  dir.make(full);
  walk_t walk(full);
  if (dir.album.empty())
    plan_book(full, walk, out);
  else
    plan_entered(dir, walk, out);
  return out;
}

}  // namespace pictora
