#include "vexalib/message.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <filesystem>

#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"

namespace vexalib {

std::vector<char> s_msgbuf;
std::vector<const char*> s_tablebuf;

namespace {

const char* const not_loaded = "message not loaded.";

// The installed data directory, found from the running program's own file
// (<prefix>/bin/NAME gives <prefix>/share/pictora/), takes the place of the
// fixed third candidate prefix; it ends with its separator, as dirpath does.
std::string installed_prefix() {
  const std::filesystem::path bindir = std::filesystem::path(libutils::platform::executable_path()).parent_path();
  return (bindir / PICTORA_DATADIR_FROM_BINDIR).lexically_normal().string() + "/";
}

// Splits the loaded file into messages in place: line breaks become NULs and
// each table entry points at the first byte of its message.
void build_table() {
  const size_t count = static_cast<size_t>(std::count(s_msgbuf.begin(), s_msgbuf.end(), '\n'));
  s_tablebuf.assign(count, nullptr);
  char* p = s_msgbuf.data();
  char* const end = p + s_msgbuf.size();
  for (size_t i = 0; i < count; ++i) {
    s_tablebuf[i] = p;
    while (p != end && *p != '\n' && *p != '\r') ++p;
    if (p != end && *p == '\r') *p++ = '\0';
    if (p != end && *p == '\n') *p++ = '\0';
  }
}

}  // namespace

std::string get_locale_name() {
  // A query only: the user's default is looked up through setlocale(LC_ALL, "")
  // and the program's own locale is put back, so that calling this during
  // static initialisation changes nothing; init_message switches for good.
  const char* current = std::setlocale(LC_ALL, nullptr);
  const std::string saved = current ? current : "";
  std::setlocale(LC_ALL, "");
  const char* messages = std::setlocale(LC_MESSAGES, nullptr);
  std::string name = messages ? messages : "";
  if (!saved.empty()) std::setlocale(LC_ALL, saved.c_str());
  // Only the two names of the bare C locale count as "no locale"; C.UTF-8 and
  // the like are names like any other and fall back to the plain catalogue.
  if (name == "C" || name == "POSIX") name.clear();
  return name;
}

bool load_message(std::vector<char>& buf, const char* path, libutils::report_log_t& log) {
  // What is no regular file (a directory, a pipe) is not taken as a
  // catalogue, and buf keeps what it held.
  std::string text;
  if (!libutils::read_text_file(path, text, log)) return false;
  buf.assign(text.begin(), text.end());
  return true;
}

std::string init_message(const char* dirpath, const char* name, libutils::report_log_t& log) {
  std::setlocale(LC_ALL, "");
  const std::string locale = get_locale_name();
  const std::string plain = std::string(name) + ".msg";
  const std::string local = locale.empty() ? plain : std::string(name) + "." + locale + ".msg";
  const std::string dir = dirpath ? dirpath : "";

  const std::string installed = installed_prefix();
  std::vector<std::string> candidates;
  for (const std::string* file : {&local, &plain}) {
    candidates.push_back(*file);
    candidates.push_back(dir.empty() ? libutils::searchpath(*file, nullptr) : dir + *file);
    candidates.push_back(installed + *file);
  }

  // Loaded into a buffer of its own so that a failed attempt leaves the
  // current table, and the pointers handed out from it, untouched.
  std::vector<char> buf;
  for (const std::string& path : candidates) {
    if (!load_message(buf, path.c_str(), log)) continue;
    s_msgbuf.swap(buf);
    build_table();
    return path;
  }
  libutils::fail(log, candidates.back(), ": no message catalogue found there or beside the program",
                 0, "can't load message file.");
  return std::string();
}

const char* getmsg(e_message_t id) {
  const uint32_t n = id;
  return n < s_tablebuf.size() ? s_tablebuf[n] : not_loaded;
}

std::string make_title(const char* a, const char* b) { return std::string(a) + " - " + b; }

void make_title2(std::string& out, const char* a, const char* b) { out = make_title(a, b); }

}  // namespace vexalib
