#include "app/import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <list>
#include <map>
#include <utility>
#include <vector>

#include "app/album.h"
#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"

namespace pictora {
namespace {

bool ends_with_any(const std::string& name, std::initializer_list<const char*> endings) {
  for (const char* ending : endings) {
    if (libutils::extcasecmp(name, ending) == 0) return true;
  }
  return false;
}

// The files that belong in "original"; everything else is a text or other
// side file and goes to "txt".
bool is_media(const std::string& name) {
  return ispicture(name) || ismovie(name) || is_audio(name);
}

// Removes the directory entry itself: a link there goes, not what it points
// at. A missing entry is no error.
void remove_entry(const std::string& path) { ::unlink(path.c_str()); }

// A byte copy with the source's modification time that appears at `to` only
// when complete: it is written beside the target and renamed over it, which
// also replaces a link at `to` instead of writing through it. A process
// killed during the copy leaves the temporary file (the target's name plus
// ".tmp", the process id and a counter); its name ends in no picture, movie
// or sound extension, so no later stage takes it for one, and the album's
// next build or update removes it. A failure is reported with the system's
// reason.
bool copy_into_place(const std::string& from, const std::string& to, libutils::report_log_t& log) {
  const std::string temp = libutils::create_temp_beside(to);
  if (temp.empty()) return libutils::fail(log, to, ": no temporary file can be made beside it", errno);
  bool ok = libutils::filecopy(from.c_str(), temp.c_str(), log);
  if (ok && std::rename(temp.c_str(), to.c_str()) != 0)
    ok = libutils::fail(log, temp, ": cannot be renamed to " + to, errno);
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

namespace fs = std::filesystem;

using file_id_t = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

// The device and inode of what path leads to, links followed.
bool identify(const std::string& path, file_id_t& id) {
  libutils::platform::file_info_t info;
  if (!libutils::platform::stat_file(path.c_str(), info)) return false;
  id = {info.device, info.inode};
  return true;
}

// The directory dir itself and everything in it, folders and files, by
// device and inode; links in it are not followed (what they lead to is not
// the album's). Empty when dir does not exist.
std::set<file_id_t> tree_ids(const std::string& dir) {
  std::set<file_id_t> ids;
  file_id_t id;
  if (!identify(dir, id)) return ids;
  ids.insert(id);
  std::error_code ec, link_ec;
  for (fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (!it->is_symlink(link_ec) && identify(it->path().string(), id)) ids.insert(id);
  }
  return ids;
}

// The names of the media files in the album's "original".
std::vector<std::string> originals(const path_t& album) {
  std::string dir;
  album.make(dir, "original");
  std::list<std::string> names;
  libutils::getfiles(names, dir.c_str());
  std::vector<std::string> media;
  for (const std::string& name : names)
    if (is_media(name)) media.push_back(name);
  return media;
}

// The outputs by which two files of an album would become one: "pages X"
// for the zoom pages html/X_N.html (a picture of stem X, a movie of stem Y
// with X = Y_1 or Y_2), "movie Y" for the copies movieN/Y.mp4.
std::vector<std::string> shared_outputs(const std::string& name) {
  const std::string stem = libutils::basename(name);
  if (ispicture(name)) return {"pages " + stem};
  if (ismovie(name)) return {"movie " + stem, "pages " + stem + "_1", "pages " + stem + "_2"};
  return {};
}

// How a user reads the output two files share.
std::string output_text(const std::string& output) {
  const size_t blank = output.find(' ');
  const std::string kind = output.substr(0, blank), stem = output.substr(blank + 1);
  return kind == "movie" ? "movieN/" + stem + ".mp4" : "html/" + stem + "_N.html";
}

// Each pair of `files` (paths, the album's first) whose names share an
// output, reported on log with `advice`; false when there is one. A name
// given twice is the same file.
bool outputs_apart(const std::vector<std::string>& files, const char* advice, libutils::report_log_t& log) {
  std::map<std::string, std::string> taken;  // output -> the file that has it
  std::set<std::string> reported;
  bool apart = true;
  for (const std::string& file : files) {
    const std::string name = libutils::baseptr(file.c_str());
    for (const std::string& output : shared_outputs(name)) {
      const auto [it, first] = taken.emplace(output, file);
      if (first || libutils::baseptr(it->second.c_str()) == name) continue;
      if (!reported.insert(it->second + '\0' + file).second) continue;
      apart = libutils::fail(log, it->second + " and " + file, ": both become " + output_text(output) + advice);
    }
  }
  return apart;
}

}  // namespace

bool ispicture(const std::string& name) { return ends_with_any(name, {".jpg", ".jpeg"}) || is_heif(name); }

bool is_heif(const std::string& name) { return ends_with_any(name, {".heic", ".heif", ".hif"}); }

std::string level_name(const std::string& name) {
  return is_heif(name) ? libutils::basename(name) + ".jpg" : name;
}

std::string unread_picture_kind(const std::string& name) {
  // Still pictures of other formats and the raw files of cameras.
  static const std::initializer_list<const char*> endings = {
      ".png", ".gif", ".bmp", ".tif", ".tiff", ".webp", ".avif", ".jxl", ".dng", ".cr2", ".cr3", ".crw",
      ".nef", ".nrw", ".arw", ".srf", ".sr2", ".orf", ".rw2", ".raf", ".pef", ".srw", ".x3f", ".3fr",
      ".iiq", ".erf", ".mrw", ".dcr", ".kdc", ".raw"};
  for (const char* ending : endings) {
    if (libutils::extcasecmp(name, ending) != 0) continue;
    std::string kind = ending + 1;
    for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return kind;
  }
  return "";
}

bool ismovie(const std::string& name) {
  return ends_with_any(name, {".avi", ".mov", ".mpg", ".mp4"});
}

bool is_audio(const std::string& name) { return ends_with_any(name, {".wav", ".mp3", ".m4a"}); }

std::set<std::string> own_text_names(const path_t& album, const std::vector<files_t>& files) {
  std::set<std::string> own;
  std::vector<std::string> media = originals(album);
  for (const files_t& file : files)
    if (is_media(file.name)) media.push_back(file.name);
  for (const std::string& name : media) {
    const std::string stem = libutils::basename(name);
    own.insert({stem + ".txt", stem + ".TXT"});
  }
  return own;
}

std::string import_target(const path_t& album, const std::string& name, const std::set<std::string>& own_texts) {
  std::string target;
  if (is_media(name))
    album.make(target, "original", name);
  else if (is_own_text(name) || own_texts.count(name) != 0 || libutils::is_temp_name(name))
    album.make(target, "txt", std::string(s_card_files_dir) + path_separator + name);
  else
    album.make(target, "txt", name);
  return target;
}

std::vector<files_t> regular_files(const std::string& srcdir, const std::vector<files_t>& files,
                                   libutils::report_log_t& log, libutils::report_t::kind_t as) {
  std::vector<files_t> regular;
  for (const files_t& file : files) {
    const std::string src = srcdir + path_separator + file.name;
    libutils::platform::file_info_t info;
    if (libutils::platform::stat_file(src.c_str(), info) && !info.is_regular)
      log.add(libutils::report_t{as, src, ": not a regular file, skipped.", 0, {}});
    else
      regular.push_back(file);
  }
  return regular;
}

bool source_outside_album(const std::string& srcdir, const std::vector<files_t>& files,
                          const path_t& album, libutils::report_log_t& log) {
  std::string dir;
  album.make(dir);
  // Whatever leads into the album leads to one of its folders or files.
  const std::set<file_id_t> inside = tree_ids(dir);
  std::vector<std::string> sources = {srcdir};
  for (const files_t& file : files) sources.push_back(srcdir + path_separator + file.name);
  for (const std::string& source : sources) {
    file_id_t id;
    if (identify(source, id) && inside.count(id) != 0)
      return libutils::fail(log, source,
                            ": lies in the album " + dir + " itself; import from another folder.");
  }
  return true;
}

bool picks_apart(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
                 libutils::report_log_t& log) {
  std::string dir;
  album.make(dir);
  std::set<std::string> picked, stems;
  for (const files_t& file : files) picked.insert(file.name);
  std::vector<std::string> paths;
  for (const std::string& name : originals(album)) {
    stems.insert(libutils::basename(name));
    if (picked.count(name) == 0) paths.push_back(dir + path_separator + "original" + path_separator + name);
  }
  for (const files_t& file : files) paths.push_back(srcdir + path_separator + file.name);
  bool apart = outputs_apart(paths, ", and one of them would be lost from the pages; leave one out or rename it.", log);
  // A file's comment is its stem plus ".txt" in "txt": a text that stands
  // there under a new file's comment name came from an earlier import (or
  // outlived its file) and would become its comment.
  for (const std::string& name : picked) {
    const std::string stem = libutils::basename(name);
    if (!is_media(name) || !stems.insert(stem).second) continue;
    for (const std::string& comment : {stem + ".txt", stem + ".TXT"}) {
      std::string text;
      album.make(text, "txt", comment);
      if (!is_own_text(comment) && libutils::exists(text))
        apart = libutils::fail(log, text + " and " + srcdir + path_separator + name,
                               ": the text already in the album would become the comment of the new file; move "
                               "the text away or rename the file.");
    }
  }
  return apart;
}

bool originals_apart(const path_t& album, const std::vector<files_t>& files, libutils::report_log_t& log) {
  std::string dir;
  album.make(dir, "original");
  std::vector<std::string> paths;
  for (const files_t& file : files) paths.push_back(dir + path_separator + file.name);
  return outputs_apart(paths, ", so one of them is missing from the pages; rename one of them in original.", log);
}

album_claim_t::~album_claim_t() { libutils::platform::unlock_directory(handle_); }

album_claim_t::result_t album_claim_t::claim(const path_t& album, bool replace, libutils::report_log_t& log) {
  std::string dir;
  album.make(dir);
  // The book may be new as well.
  std::error_code error;
  const std::string book = libutils::folder_parent(dir);
  if (!book.empty()) fs::create_directories(book, error);
  if (!libutils::platform::make_directory(dir.c_str())) {
    const int err = errno;
    if (err != EEXIST) {
      libutils::fail(log, dir, ": cannot create the directory", err);
      return failed;
    }
    if (!replace) return exists;
  }
  if (!lock(album)) return busy;
  if (handle_ >= 0) return claimed;
  libutils::fail(log, dir, ": cannot be opened as the album's directory", errno);
  return failed;
}

bool album_claim_t::lock(const path_t& album) {
  std::string dir;
  album.make(dir);
  libutils::platform::unlock_directory(handle_);
  handle_ = libutils::platform::lock_directory(dir.c_str());
  return handle_ >= 0 || errno != EWOULDBLOCK;
}

bool copyfiles(const build_context_t& ctx, const std::string& srcdir, const std::vector<files_t>& files,
               const path_t& album, sigc::signal<void, double>& progress, libutils::report_log_t& log,
               std::set<std::string>& not_copied) {
  bool all = true;
  std::string dir;
  album.make(dir, "original");
  libutils::platform::make_directory(dir.c_str());  // an existing one is fine
  const std::set<std::string> own_texts = own_text_names(album, files);
  const size_t n = files.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = files[i].name;
    const std::string src = srcdir + path_separator + name;
    const std::string dst = import_target(album, name, own_texts);
    // "txt" normally exists already (the album's title is written first);
    // it is made here too, then the folder of the card's side files in it,
    // so that a side file never fails for want of them.
    if (!is_media(name)) {
      album.make(dir, "txt");
      libutils::platform::make_directory(dir.c_str());
    }
    libutils::platform::make_directory(libutils::folder_parent(dst).c_str());
    // Deleting first means an interrupted import leaves the name missing
    // rather than holding an old file; the next import copies it again.
    remove_entry(dst);
    // One file that cannot be read (a damaged card) costs that file only.
    libutils::report_log_t copy_log;
    if (!copy_into_place(src, dst, copy_log)) {
      const libutils::report_t& why = copy_log.reports().front();
      all = libutils::fail(log, src, ": cannot be copied into the album", why.error, why.line());
      not_copied.insert(name);
    } else if (const std::string kind = unread_picture_kind(name); !kind.empty()) {
      libutils::warn(log, name, ": a picture the program cannot read (" + kind + "); kept in txt/");
    }
    ctx.item_finished(progress, i + 1, n, name);
  }
  return all;
}

bool rotatejpeg(const std::string& src, const std::string& dst, unsigned long long code, uint64_t max_pixels,
                libutils::report_log_t& log) {
  libgr::jpegdata_t in;
  if (!in.load(src.c_str())) return libutils::fail(log, src, ": cannot be read", errno, "rotatejpeg() jpegdata load fail.");
  libgr::jpegdata_t out;
  libgr::jpeg_issues_t issues;
  if (!libgr::transform(code, out, in, max_pixels, issues))
    return libutils::fail(log, src, ": cannot be turned, " + issues.reason, 0, "transform() fail. " + issues.detail());
  // src stays mapped while dst (which may be src itself) is replaced; the
  // save goes through a temporary file and a rename.
  remove_entry(dst);
  if (!out.save(dst.c_str())) return libutils::fail(log, dst, ": cannot be written", errno, "jpegdata save() fail.");
  return true;
}

bool copyjpeg(const std::string& src, const std::string& dst, const std::string& linktarget,
              libutils::report_log_t& log) {
  // A failed link falls back to the next way; only when none works is each
  // failure told.
  libutils::report_log_t tried;
  if (symlinkone(linktarget, dst, tried) || hardlinkone(src, dst, tried) || copy_into_place(src, dst, tried))
    return true;
  log.append(tried);
  return false;
}

bool symlinkone(const std::string& target, const std::string& link, libutils::report_log_t& log) {
  remove_entry(link);
  // Stored paths may carry either separator; the system wants its own.
  const std::string t = libutils::deliminvert(target);
  const std::string l = libutils::deliminvert(link);
  if (::symlink(t.c_str(), l.c_str()) != 0) {
    // The error number and its text from strerror stand where Windows
    // reports its own error code and message text.
    const int err = errno;
    return libutils::fail(log, t, " to " + l + ": no symbolic link can be made", err,
                          "symlink failed." + std::to_string(err) + " " + std::strerror(err));
  }
  return true;
}

bool hardlinkone(const std::string& existing, const std::string& link, libutils::report_log_t& log) {
  remove_entry(link);
  const std::string e = libutils::deliminvert(existing);
  const std::string l = libutils::deliminvert(link);
  if (::link(e.c_str(), l.c_str()) != 0)
    return libutils::fail(log, e + " to " + l, ": no hard link can be made", errno, "hard link fail.");
  return true;
}

bool is_exist(const std::string& path) {
  std::string p = path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();  // "/" itself stays
  libutils::platform::file_info_t info;
  return libutils::platform::stat_file(p.c_str(), info);
}

temp_t::~temp_t() { destroy(); }

bool temp_t::init(const std::string& name, libutils::report_log_t& log) {
  if (owned_) return true;
  // TMPDIR and "/tmp" are this system's usual places after TEMP and TMP.
  const char* root = std::getenv("TEMP");
  if (root == nullptr) root = std::getenv("TMP");
  if (root == nullptr) root = std::getenv("TMPDIR");
  if (root == nullptr) root = "/tmp";
  // mkdtemp only takes a name that ends in six X characters; any other name
  // gets them appended.
  std::string templ = std::string(root) + path_separator + name;
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (libutils::mkdtemp(buf.data()) == nullptr) {
    templ += ".XXXXXX";
    buf.assign(templ.begin(), templ.end());
    buf.push_back('\0');
    if (libutils::mkdtemp(buf.data()) == nullptr)
      return libutils::fail(log, templ, ": no temporary folder can be made", errno, "mkdtemp failed.");
  }
  path_ = buf.data();
  owned_ = true;
  return true;
}

void temp_t::destroy() {
  if (!owned_) return;
  owned_ = false;
  // Whether everything could be removed is not checked: a leftover in the
  // temporary root harms nothing.
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace pictora
