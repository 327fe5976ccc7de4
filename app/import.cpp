#include "app/import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <vector>

#include "app/progress.h"
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
bool copy_into_place(const std::string& from, const std::string& to) {
  const std::string temp = libutils::create_temp_beside(to);
  if (temp.empty()) {
    const int err = errno;
    libutils::fail(std::cerr, to, ": no temporary file can be made beside it.");
    return libutils::fail_reason(std::cerr, to, err);
  }
  bool ok = libutils::filecopy(from.c_str(), temp.c_str());
  if (ok && std::rename(temp.c_str(), to.c_str()) != 0) {
    const int err = errno;
    ok = libutils::fail(std::cerr, temp, ": cannot be renamed to " + to + ".");
    libutils::fail_reason(std::cerr, to, err);
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

namespace fs = std::filesystem;

// path made absolute, with its links, "." and ".." resolved as far as it
// exists.
fs::path resolved(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  const fs::path real = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : real;
}

// Whether path is dir or lies below it; both resolved.
bool lies_in(const fs::path& path, const fs::path& dir) {
  const fs::path relative = path.lexically_relative(dir);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

bool ispicture(const std::string& name) { return ends_with_any(name, {".jpg", ".jpeg"}); }

bool ismovie(const std::string& name) {
  return ends_with_any(name, {".avi", ".mov", ".mpg", ".mp4"});
}

bool is_audio(const std::string& name) { return ends_with_any(name, {".wav", ".mp3", ".m4a"}); }

std::string import_target(const path_t& album, const std::string& name) {
  std::string target;
  album.make(target, is_media(name) ? "original" : "txt", name);
  return target;
}

std::vector<files_t> regular_files(const std::string& srcdir, const std::vector<files_t>& files,
                                   std::ostream& log) {
  std::vector<files_t> regular;
  for (const files_t& file : files) {
    const std::string src = srcdir + path_separator + file.name;
    libutils::platform::file_info_t info;
    if (libutils::platform::stat_file(src.c_str(), info) && !info.is_regular)
      libutils::fail(log, src, ": not a regular file, skipped.");
    else
      regular.push_back(file);
  }
  return regular;
}

bool source_outside_album(const std::string& srcdir, const std::vector<files_t>& files,
                          const path_t& album, std::ostream& log) {
  std::string dir;
  album.make(dir);
  const fs::path album_dir = resolved(dir);
  std::vector<std::string> sources = {srcdir};
  for (const files_t& file : files) sources.push_back(srcdir + path_separator + file.name);
  for (const std::string& source : sources) {
    if (lies_in(resolved(source), album_dir))
      return libutils::fail(log, source,
                            ": lies in the album " + dir + " itself; import from another folder.");
  }
  return true;
}

bool copyfiles(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
               sigc::signal<void, double>& progress) {
  std::string dir;
  album.make(dir, "original");
  libutils::platform::make_directory(dir.c_str());  // an existing one is fine
  const size_t n = files.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = files[i].name;
    const std::string src = srcdir + path_separator + name;
    // "txt" normally exists already (the album's title is written first);
    // it is made here too so that a side file never fails for want of it.
    album.make(dir, is_media(name) ? "original" : "txt");
    libutils::platform::make_directory(dir.c_str());
    const std::string dst = import_target(album, name);
    // Deleting first means an interrupted import leaves the name missing
    // rather than holding an old file; the next import copies it again.
    remove_entry(dst);
    if (!copy_into_place(src, dst)) return libutils::fail(std::cerr, src, ": file copy fail.");
    emit_progress(progress, i + 1, n, name);
  }
  return true;
}

bool rotatejpeg(const std::string& src, const std::string& dst, unsigned long long code) {
  libgr::jpegdata_t in;
  if (!in.load(src.c_str()))
    return libutils::fail(std::cerr, src, ": rotatejpeg() jpegdata load fail.");
  libgr::jpegdata_t out;
  if (!libgr::transform(code, out, in))
    return libutils::fail(std::cerr, src, ": transform() fail.");
  // src stays mapped while dst (which may be src itself) is replaced; the
  // save goes through a temporary file and a rename.
  remove_entry(dst);
  if (!out.save(dst.c_str())) {
    const int err = errno;
    libutils::fail(std::cerr, dst, ": jpegdata save() fai.");
    return libutils::fail_reason(std::cerr, dst, err);
  }
  return true;
}

bool copyjpeg(const std::string& src, const std::string& dst, const std::string& linktarget) {
  if (symlinkone(linktarget, dst)) return true;
  if (hardlinkone(src, dst)) return true;
  return copy_into_place(src, dst);
}

bool symlinkone(const std::string& target, const std::string& link) {
  remove_entry(link);
  // Stored paths may carry either separator; the system wants its own.
  const std::string t = libutils::deliminvert(target);
  const std::string l = libutils::deliminvert(link);
  if (::symlink(t.c_str(), l.c_str()) != 0) {
    // The error number and its text from strerror stand where Windows
    // reports its own error code and message text.
    const int err = errno;
    return libutils::fail(
        std::cerr, t,
        " to " + l + ": symlink failed." + std::to_string(err) + " " + std::strerror(err));
  }
  return true;
}

bool hardlinkone(const std::string& existing, const std::string& link) {
  remove_entry(link);
  const std::string e = libutils::deliminvert(existing);
  const std::string l = libutils::deliminvert(link);
  if (::link(e.c_str(), l.c_str()) != 0)
    return libutils::fail(std::cerr, e + " to " + l, ": hard link fail.");
  return true;
}

bool is_exist(const std::string& path) {
  std::string p = path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();  // "/" itself stays
  libutils::platform::file_info_t info;
  return libutils::platform::stat_file(p.c_str(), info);
}

temp_t::~temp_t() { destroy(); }

bool temp_t::init(const std::string& name) {
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
      return libutils::fail(std::cerr, templ, ": mkdtemp failed.");
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
