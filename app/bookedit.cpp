#include "app/bookedit.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "app/album.h"
#include "app/html_best.h"
#include "app/html_book.h"
#include "app/update.h"
#include "libutils/common.h"
#include "libutils/futil.h"

namespace pictora {

namespace fs = std::filesystem;

namespace {

bool has_separator(const std::string& name) { return name.find_first_of("/\\") != std::string::npos; }

std::string system_error(int code) { return std::strerror(code); }

// What keeps one file or directory from being unlinked: the immutable or
// append-only flag of the file system ("" when it has neither or cannot
// tell). Links and special files carry no such flag.
std::string locked(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return "";
  int flags = 0;
  const bool read = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  ::close(fd);
  if (read && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) return path.string() + ": " + system_error(EPERM);
  return "";
}

// A directory whose entries must go: it must be listed, written and entered.
std::string unwritable(const fs::path& dir) {
  if (::access(dir.c_str(), R_OK | W_OK | X_OK) != 0) return dir.string() + ": " + system_error(errno);
  return locked(dir);
}

// The first file or directory that keeps dir from being removed with
// everything in it; "" when nothing does.
std::string obstacle(const fs::path& dir) {
  const fs::path parent = dir.parent_path();
  if (::access(parent.c_str(), W_OK | X_OK) != 0) return parent.string() + ": " + system_error(errno);
  std::string found = locked(parent);
  if (found.empty()) found = unwritable(dir);
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; found.empty() && !error && it != end;
       it.increment(error)) {
    const bool directory = it->is_directory(error) && !it->is_symlink(error);
    found = directory ? unwritable(it->path()) : locked(it->path());
  }
  if (found.empty() && error) found = dir.string() + ": " + error.message();
  return found;
}

std::string without_trailing_separators(std::string dir) {
  while (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

// What the import must not do, checked when the album is asked for and
// again once it is claimed: read the camera from inside the album, or give
// two files one page or copy, or a file the album's own text for comment.
bool import_allowed(const album_request_t& request, refusal_t& why) {
  libutils::report_log_t log;
  if (source_outside_album(request.source, request.files, request.target, log) &&
      picks_apart(request.source, request.files, request.target, log))
    return true;
  why = refusal_t{vexalib::msg_build_failed, log.text(), false, true};
  if (!why.detail.empty() && why.detail.back() == '\n') why.detail.pop_back();
  return false;
}

}  // namespace

path_t book_of(const path_t& p) {
  std::string dir;
  p.make(dir);
  return path_t{"", dir, ""};
}

bool is_secret(const path_t& dir) {
  std::string file;
  dir.make(file, "txt", "secret.txt");
  return libutils::exists(file);
}

void mark_secret(const path_t& dir, bool secret) {
  std::string file;
  dir.make(file, "txt", "secret.txt");
  if (secret) {
    std::ofstream(file, std::ios::binary | std::ios::trunc);
  } else {
    std::remove(file.c_str());
  }
}

std::string default_album_name(std::time_t now) {
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

std::string refusal_t::text() const {
  const std::string message_text = vexalib::getmsg(message);
  return detail.empty() ? message_text : message_text + "\n" + detail;
}

bool check_album(const album_request_t& request, bool replace_existing, refusal_t& why) {
  const std::string& name = request.target.album;
  why = refusal_t();
  if (request.files.empty()) {
    why.message = vexalib::msg_no_picture;
  } else if (request.source.empty()) {
    why.message = vexalib::msg_no_source;
  } else if (name.empty()) {
    why.message = vexalib::msg_no_album_name;
  } else if (has_separator(name) || name == "." || name == "..") {
    // An album is one directory of the book it is made in.
    why.message = vexalib::msg_no_album_name;
    why.detail = name + ": not a name of one directory.";
  } else {
    std::string dir;
    request.target.make(dir);
    if (!replace_existing && libutils::exists(dir)) {
      why.message = vexalib::msg_album_exists;
      why.question = true;
    } else if (request.title.empty()) {
      why.message = vexalib::msg_no_title;
    } else {
      return import_allowed(request, why);
    }
  }
  why.untouched = true;
  return false;
}

bool make_album(const build_context_t& ctx, const album_request_t& request, batch_progress_t& progress,
                refusal_t& why, libutils::report_log_t& log) {
  const path_t& album = request.target;
  std::string dir;
  album.make(dir);
  album_claim_t claim;
  switch (claim.claim(album, request.replace, log)) {
    case album_claim_t::claimed:
      break;
    case album_claim_t::exists:  // another build made it since the checks
      why = refusal_t{vexalib::msg_album_exists, "", false, true};
      return false;
    case album_claim_t::busy:
      why = refusal_t{vexalib::msg_build_failed,
                      dir + ": another build or update is working in this album; nothing was copied.", false, true};
      return false;
    case album_claim_t::failed:
      why = refusal_t{vexalib::msg_build_failed, "", false, false};
      return false;
  }
  // Another build may have changed the album between the checks and the
  // claim; from here on nothing else works in it.
  if (!import_allowed(request, why)) return false;
  // Recorded before anything else is written into the album, so that an
  // update finishes a build killed at any point after this.
  if (!begin_build(request.source, request.files, album, log)) {
    why = refusal_t{vexalib::msg_build_failed, "", false, false};
    return false;
  }
  if (!savecommenttxt(album, request.title, request.head, request.last, log)) {
    why = refusal_t{vexalib::msg_comments_not_saved, "", false, false};
    return false;
  }
  mark_secret(album, request.secret);
  sigc::signal<void, double>* s = progress.stage;
  s[0].emit(0);
  const bool built = makealbumwithrotate(ctx, request.source, request.files, album, s[0], s[1], s[2], s[3], log);
  // The book lists the album also when some of its files were left out;
  // after a stop the album's pages may not be there yet.
  const bool listed = ctx.stopped() || makehtmlbook(ctx, path_t{"", album.book, ""}, log);
  if (built && listed) return true;
  why = refusal_t{vexalib::msg_build_failed, "", false, false};
  return false;
}

bool rename_row(const std::string& book_dir, const std::string& from, const std::string& to,
                libutils::report_log_t& log) {
  const std::string source = book_dir + path_separator + from, target = book_dir + path_separator + to;
  const std::string sub = libutils::dirname(to);
  if (!sub.empty() && !libutils::exists(book_dir + path_separator + sub)) {
    std::error_code error;
    fs::create_directories(book_dir + path_separator + sub, error);
    savecommenttxt(path_t{"", book_dir, sub}, libutils::folder_name(sub), "", "", log);
  }
  if (::rename(source.c_str(), target.c_str()) == 0) return true;
  return libutils::fail(log, source, ": cannot be moved to " + target, errno);
}

bool save_book(const build_context_t& ctx, const path_t& book, const std::vector<row_change_t>& rows, bool secret,
               batch_progress_t& progress, libutils::report_log_t& log) {
  std::string dir;
  book.make(dir);
  sigc::signal<void, double>* s = progress.stage;
  s[4].emit(0);
  s[5].emit(0);
  std::set<std::string> moved_into;
  for (const row_change_t& row : rows) {
    if (row.secret != row.was_secret) mark_secret(path_t{"", dir, row.name}, row.secret);
    if (row.new_name == row.name || row.new_name.empty()) continue;
    const std::string sub = without_trailing_separators(libutils::dirname(row.new_name));
    if (rename_row(dir, row.name, row.new_name, log) && !sub.empty()) moved_into.insert(sub);
  }
  // makebesthtml writes the book's index page after the collection.
  for (const std::string& sub : moved_into) makebesthtml(ctx, book_of(path_t{"", dir, sub}), s[4], s[5], log);
  s[4].emit(0);
  s[5].emit(0);
  const path_t own = book_of(book);
  makebesthtml(ctx, own, s[4], s[5], log);
  mark_secret(own, secret);
  return makehtmlbook(ctx, own, log);
}

bool make_book(const build_context_t& ctx, const path_t& book, const std::string& name, const std::string& title,
               const std::string& head, const std::string& last, bool secret, libutils::report_log_t& log) {
  std::string dir;
  book.make(dir);
  const path_t sub{"", dir, name};
  std::string sub_dir;
  sub.make(sub_dir);
  std::error_code error;
  fs::create_directories(sub_dir, error);  // an existing one is fine
  if (!savecommenttxt(sub, title, head, last, log)) return false;
  mark_secret(sub, secret);
  if (makehtmlbook(ctx, book_of(sub), log)) makehtmlbook(ctx, book_of(book), log);
  return true;
}

bool remove_row(const build_context_t& ctx, const path_t& book, const std::string& name, refusal_t& why,
                libutils::report_log_t& log) {
  std::string book_dir;
  book.make(book_dir);
  const fs::path dir = fs::path(book_dir) / name;
  why = refusal_t{vexalib::msg_remove, obstacle(dir)};
  if (!why.detail.empty()) return false;
  std::error_code error;
  fs::remove_all(dir, error);
  if (error) {
    why.detail = dir.string() + ": " + error.message();
    return false;
  }
  makehtmlbook(ctx, book_of(book), log);
  return true;
}

}  // namespace pictora
