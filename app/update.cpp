#include "app/update.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <set>
#include <sstream>

#include "app/album.h"
#include "app/html_album.h"
#include "app/html_page.h"
#include "app/html_zoom.h"
#include "app/replacefile.h"
#include "app/shrink.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"
#include "libutils/process.h"

namespace pictora {
namespace {

// The record of an unfinished build, in the album's directory. Its fields
// are separated by NUL bytes, the one byte no file name holds: the format
// tag, the source folder, then each picked file's turns and name.
constexpr const char* build_record_name = ".pictora-build";
constexpr const char* build_record_tag = "pictora build 1";

std::string build_record_path(const path_t& album) {
  std::string path;
  album.make(path, build_record_name);
  return path;
}

// The page stages that a build and an update share, in order. Each page
// that cannot be written is reported by its writer; the other pages are
// written all the same.
bool makepages(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& html_progress,
               sigc::signal<void, double>& zoom_progress, libutils::report_log_t& log) {
  const bool index = makehtml(ctx, album, html_progress, log);
  const bool zooms = makehtmlzoom(ctx, album, zoom_progress, log);
  return makehtmlffzoom(ctx, album, zoom_progress, log) && index && zooms;
}

// The stages after the import, as far as the user lets them go: the levels,
// then the pages, each stage run whole even when some of its files fail.
// True when every file was had; a stop asked for gives false, and what is
// there stays for the next update to complete.
bool build_stages(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                  const picture_pass_t& pass, sigc::signal<void, double>& shrink_progress,
                  sigc::signal<void, double>& html_progress, sigc::signal<void, double>& zoom_progress,
                  libutils::report_log_t& log) {
  const bool levels = shrinkfiles(ctx, album, files, shrink_progress, pass, log);
  if (ctx.stopped()) return false;
  return makepages(ctx, album, html_progress, zoom_progress, log) && levels && !ctx.stopped();
}

// An album without a directory name would put its files into the book.
bool has_album_name(const path_t& album, libutils::report_log_t& log) {
  if (!album.album.empty()) return true;
  return libutils::fail(log, album.album, ": album directory is empty.");
}

// Deletes what killed runs left in the album's directory and in each of its
// folders: temporary files of processes that no longer run. Only the movie
// folders hold temporary names that end in an extension (ffmpeg picks its
// output format by it); in "original" and "txt", whose names come from the
// camera, only names ending in the process id and counter are taken.
void remove_leftovers(const path_t& album) {
  std::string dir;
  album.make(dir);
  libutils::remove_stale_temps(dir, false);
  std::list<std::string> folders;
  libutils::getdirs(folders, dir.c_str());
  for (const std::string& folder : folders)
    libutils::remove_stale_temps(dir + path_separator + folder, folder.rfind("movie", 0) == 0);
}

// The levels, thumbnail and zoom pages of every picture whose original the
// user deleted: the pages list what "thumb" holds, so the picture leaves
// them, and nothing of it stays to be published. (`names` are level file
// names, those of a HEIF picture are not its own.) Zoom pages that another
// picture of the same stem (a.jpg and a.jpeg) shares stay.
void forget_gone_pictures(const path_t& album) {
  std::string dir, thumbs, originals;
  album.make(dir);
  album.make(thumbs, "thumb");
  album.make(originals, "original");
  std::list<std::string> names, folders, kept;
  libutils::getfiles(names, thumbs.c_str());
  libutils::getdirs(folders, dir.c_str());
  libutils::getfiles(kept, originals.c_str());
  std::set<std::string> stems;
  for (const std::string& name : kept) stems.insert(libutils::basename(name));
  const std::vector<std::string> pictures = level_pictures(album, names);
  size_t i = 0;
  for (const std::string& name : names) {
    std::string path;
    album.make(path, "original", pictures[i++]);
    if (is_exist(path)) continue;
    // The largest level removed is L + 1 for a picture of zoom pages 1 ... L.
    unsigned long long top = 0;
    for (const std::string& folder : folders) {
      if (folder.compare(0, 4, "size") != 0 || folder.size() == 4 ||
          folder.find_first_not_of("0123456789", 4) != std::string::npos)
        continue;
      album.make(path, folder, name);
      if (std::remove(path.c_str()) == 0) top = std::max(top, std::stoull(folder.substr(4)));
    }
    album.make(path, "thumb", name);
    std::remove(path.c_str());
    if (stems.count(libutils::basename(name)) != 0) continue;
    for (const std::string& page : zoom_pages(libutils::basename(name), "_", 1, top > 0 ? top - 1 : 0)) {
      album.make(path, "html", page);
      std::remove(path.c_str());
    }
  }
}

bool end_build(const path_t& album, libutils::report_log_t& log) {
  const std::string record = build_record_path(album);
  if (std::remove(record.c_str()) == 0 || errno == ENOENT) return true;
  return libutils::fail(log, record, ": the record of the finished build cannot be removed", errno);
}

// A comment as read from its file, as it was given to be saved: without CR
// and without the end of its last line.
std::string given_comment(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// files but those named in names: a file the import could not copy is
// reported once, by the import.
std::vector<files_t> without(const std::vector<files_t>& files, const std::set<std::string>& names) {
  std::vector<files_t> kept;
  for (const files_t& file : files)
    if (names.count(file.name) == 0) kept.push_back(file);
  return kept;
}

// Ends a build whose every stage ran: the record goes once every picked
// file is in the album, so that an update no longer imports, while a
// picture or movie that could not be read is tried again by any update as
// one without levels. After a copy failure or a stop the record stays for
// the update that finishes the build. False unless the record went.
bool finished(const build_context_t& ctx, const path_t& album, bool copied, libutils::report_log_t& log) {
  return copied && !ctx.stopped() && end_build(album, log);
}

// The make-album command that builds the album again as recorded, with its
// title, comments and secret mark, replacing what is there.
std::string finishing_command(const path_t& album, const build_record_t& record, libutils::report_log_t& log) {
  std::string dir, title, head, last, secret;
  album.make(dir);
  loadcommenttxt(album, title, head, last, log);
  head = given_comment(head);
  last = given_comment(last);
  std::vector<std::string> words = {"pictora-cli", "make-album", record.source, dir};
  static const char* const degrees[] = {"", ":90", ":180", ":270"};
  for (const files_t& file : record.files)
    words.insert(words.end(), {"--pick", file.name + degrees[file.rotation % 4]});
  words.insert(words.end(), {"--title", title});
  if (!head.empty()) words.insert(words.end(), {"--head", head});
  if (!last.empty()) words.insert(words.end(), {"--last", last});
  album.make(secret, "txt", "secret.txt");
  if (is_exist(secret)) words.push_back("--secret");
  words.push_back("--force");
  return libutils::command_line(words);
}

// Finishes the build that the record describes; `files` are the album's
// files as the update was asked for them.
bool finish_build(const build_context_t& ctx, const path_t& album, const build_record_t& record,
                  const std::vector<files_t>& files, sigc::signal<void, double>& copy_progress,
                  sigc::signal<void, double>& shrink_progress, sigc::signal<void, double>& html_progress,
                  sigc::signal<void, double>& zoom_progress, libutils::report_log_t& log) {
  // A picked file is imported when its copy is missing or is not the
  // source's (another size or time): the import keeps both. A source that
  // is gone is no matter once its copy is there.
  std::vector<files_t> to_import;
  std::set<std::string> picked;
  const std::set<std::string> own_texts = own_text_names(album, record.files);
  for (const files_t& file : record.files) {
    picked.insert(file.name);
    const std::string src = record.source + path_separator + file.name;
    libutils::platform::file_info_t from, to;
    const bool readable = libutils::platform::stat_file(src.c_str(), from);
    const int err = errno;
    const bool copied = libutils::platform::stat_file(import_target(album, file.name, own_texts).c_str(), to);
    if (copied && (!readable || (from.size == to.size && from.mtime.sec == to.mtime.sec))) continue;
    if (!readable) {
      std::string dir;
      album.make(dir);
      libutils::fail(log, dir,
                     ": the album is incomplete: its build was interrupted, and " + src + " cannot be read any more",
                     err);
      return libutils::fail(log, dir, ": to finish it, run: " + finishing_command(album, record, log));
    }
    to_import.push_back(file);
  }
  std::set<std::string> not_copied;
  const bool copied = copyfiles(ctx, record.source, to_import, album, copy_progress, log, not_copied);
  const bool levels = shrink(ctx, album, without(record.files, not_copied), shrink_progress, log);
  if (ctx.stopped()) return false;
  std::vector<files_t> others;
  for (const files_t& file : files)
    if (picked.count(file.name) == 0) others.push_back(file);
  const bool built = build_stages(ctx, album, others, update_pass, shrink_progress, html_progress, zoom_progress, log);
  return finished(ctx, album, copied, log) && levels && built;
}

}  // namespace

bool begin_build(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
                 libutils::report_log_t& log) {
  std::string dir;
  album.make(dir, "original");
  libutils::platform::make_directory(dir.c_str());  // an existing one is fine
  std::error_code ec;
  const std::string source = std::filesystem::absolute(srcdir, ec).lexically_normal().string();
  replacefile_t out(build_record_path(album));
  if (out.is_open()) {
    std::ostream& os = out.stream();
    os << build_record_tag << '\0' << (ec ? srcdir : source) << '\0';
    for (const files_t& file : files) os << file.rotation << '\0' << file.name << '\0';
    if (out.commit()) return true;
  }
  return libutils::fail(log, build_record_path(album), ": the record of the build cannot be written", errno);
}

bool read_build_record(const path_t& album, build_record_t& record, libutils::report_log_t& log) {
  const std::string path = build_record_path(album);
  std::string text;
  if (!libutils::read_text_file(path, text, log)) return false;
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(text);
  while (std::getline(in, field, '\0')) fields.push_back(field);
  if (fields.size() < 2 || fields[0] != build_record_tag || fields.size() % 2 != 0) return false;
  record.source = fields[1];
  record.files.clear();
  for (size_t i = 2; i + 1 < fields.size(); i += 2)
    record.files.push_back(
        files_t{fields[i + 1], std::strtoull(fields[i].c_str(), nullptr, 10) % 4});
  return true;
}

bool makealbumwithrotate(const build_context_t& ctx, const std::string& srcdir, const std::vector<files_t>& files,
                         const path_t& album, sigc::signal<void, double>& copy_progress,
                         sigc::signal<void, double>& shrink_progress, sigc::signal<void, double>& html_progress,
                         sigc::signal<void, double>& zoom_progress, libutils::report_log_t& log) {
  if (!has_album_name(album, log)) return false;
  if (!source_outside_album(srcdir, files, album, log)) return false;
  remove_leftovers(album);
  const std::vector<files_t> picks = regular_files(srcdir, files, log);
  if (!begin_build(srcdir, picks, album, log)) return false;
  // The import is not cut short: a stop leaves every original in.
  std::set<std::string> not_copied;
  const bool copied = copyfiles(ctx, srcdir, picks, album, copy_progress, log, not_copied);
  const bool built = build_stages(ctx, album, without(picks, not_copied), build_pass, shrink_progress, html_progress, zoom_progress, log);
  return finished(ctx, album, copied, log) && built;
}

bool updatealbum(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& first_progress, sigc::signal<void, double>& shrink_progress,
                 sigc::signal<void, double>& html_progress, sigc::signal<void, double>& zoom_progress,
                 libutils::report_log_t& log) {
  if (!has_album_name(album, log)) return false;
  std::string dir;
  album.make(dir);
  // An album deleted or moved away is one failure, not one per file.
  struct stat st;
  const int err = ::stat(dir.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (err != 0) return libutils::fail(log, dir, ": the album's folder cannot be opened; it was not updated", err);
  // No build or other update works in the album meanwhile.
  album_claim_t claim;
  if (!claim.lock(album))
    return libutils::fail(log, dir, ": another build or update is working in this album; it was not updated.");
  // A pair of files that share pages (built before such pairs were
  // refused) is reported, and the album is updated all the same.
  const bool apart = originals_apart(album, files, log);
  remove_leftovers(album);
  forget_gone_pictures(album);
  build_record_t record;
  if (read_build_record(album, record, log))
    return finish_build(ctx, album, record, files, first_progress, shrink_progress, html_progress, zoom_progress,
                        log) &&
           apart;
  // The pages show comments and classifications the user may have changed,
  // so they are always written anew.
  return build_stages(ctx, album, files, update_pass, shrink_progress, html_progress, zoom_progress, log) && apart;
}

bool shrinkoneupdate(const build_context_t& ctx, std::vector<std::string>& levels, const path_t& album,
                     const std::string& name, std::uint64_t L, std::uint64_t start, std::uint64_t rotation,
                     libutils::report_log_t& log) {
  return shrinkpicture(ctx, album, levels, name, L, start, rotation, update_pass, log);
}

}  // namespace pictora
