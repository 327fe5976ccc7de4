#include "libutils/futil.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <list>

#include <strings.h>

#include "libutils/platform_posix.h"
#include "libutils/strutil.h"

namespace libutils {

namespace {

constexpr size_t npos = static_cast<size_t>(-1);
constexpr const char* delimiters = "/\\";

// Calls fn(offset, length) for every character of s[begin, end), decoded
// under the current C locale (LC_CTYPE), so that the trail byte of a
// double-byte character is never taken for a delimiter. A byte that starts no
// valid character (or one cut short by the end) counts as a character of its
// own: a name that is not valid in the code page, such as Latin-1 bytes under
// a UTF-8 locale or UTF-8 bytes under "C", is then searched byte by byte and
// still splits at its delimiters.
template <typename Fn>
void for_each_char(const char* s, size_t begin, size_t end, Fn fn) {
  std::mbstate_t state{};
  size_t i = begin;
  while (i < end) {
    size_t n = std::mbrlen(s + i, end - i, &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      state = std::mbstate_t{};
      n = 1;
    } else if (n == 0) {
      n = 1;  // an embedded NUL
    }
    fn(i, n);
    i += n;
  }
}

struct found_t {
  size_t first = npos;
  size_t last = npos;
};

// First and last single-byte characters of s[begin, end) that are in `set`.
// Bytes are compared rather than wide values, because some code pages decode
// the byte '\' to another character (Shift_JIS gives the yen sign) although
// it still separates paths there.
found_t find_chars(const char* s, size_t begin, size_t end, const char* set) {
  found_t f;
  for_each_char(s, begin, end, [&](size_t i, size_t n) {
    if (n == 1 && s[i] != '\0' && std::strchr(set, s[i]) != nullptr) {
      if (f.first == npos) f.first = i;
      f.last = i;
    }
  });
  return f;
}

// Offset of the last component: just after the last delimiter, or 0.
size_t last_component(const char* s, size_t len) {
  const size_t d = find_chars(s, 0, len, delimiters).last;
  return d == npos ? 0 : d + 1;
}

// End of the longest run of whole characters from `begin` that fits `room`.
size_t fit(const char* s, size_t begin, size_t end, size_t room) {
  size_t stop = begin;
  for_each_char(s, begin, end, [&](size_t i, size_t n) {
    if (i + n - begin <= room) stop = i + n;  // ends only grow: the last fit wins
  });
  return stop;
}

// Writes s[begin, end) to dst as a NUL-terminated string of at most room - 1
// bytes, never cutting a character; returns the bytes written without the NUL.
size_t put(char* dst, size_t room, const char* s, size_t begin, size_t end) {
  if (room == 0) return 0;
  const size_t n = fit(s, begin, end, room - 1) - begin;
  std::memcpy(dst, s + begin, n);
  dst[n] = '\0';
  return n;
}

// [begin, end) of the name without extension within the last component.
void base_range(const char* s, size_t len, size_t& begin, size_t& end) {
  begin = last_component(s, len);
  const size_t dot = find_chars(s, begin, len, ".").last;
  end = dot == npos ? len : dot;
}

std::string replace_delimiter(const std::string& path, char from, char to) {
  std::string out = path;
  for_each_char(path.data(), 0, path.size(), [&](size_t i, size_t n) {
    if (n == 1 && out[i] == from) out[i] = to;
  });
  return out;
}

}  // namespace

std::string basename(const std::string& path) {
  size_t begin, end;
  base_range(path.data(), path.size(), begin, end);
  return path.substr(begin, end - begin);
}

std::string basename2(const std::string& path) { return basename(path); }

std::string dirname(const std::string& path) {
  return path.substr(0, last_component(path.data(), path.size()));
}

size_t basename(char* dst, const char* src, size_t n) {
  size_t begin, end;
  base_range(src, std::strlen(src), begin, end);
  return put(dst, n, src, begin, end);
}

size_t dirname(char* dst, const char* src, size_t n) {
  return put(dst, n, src, 0, last_component(src, std::strlen(src)));
}

const char* baseptr(const char* path) { return path + last_component(path, std::strlen(path)); }

namespace {

// dir without the delimiters at its end (whole characters only, so the
// trail byte of a double-byte character stays); a root of delimiters keeps
// its first.
std::string without_end_delimiters(const std::string& dir) {
  size_t end = 0;
  for_each_char(dir.data(), 0, dir.size(), [&](size_t i, size_t n) {
    if (n != 1 || std::strchr(delimiters, dir[i]) == nullptr || dir[i] == '\0') end = i + n;
  });
  return dir.substr(0, end == 0 && !dir.empty() ? 1 : end);
}

}  // namespace

std::string folder_name(const std::string& dir) {
  const std::string folder = without_end_delimiters(dir);
  const size_t at = last_component(folder.data(), folder.size());
  return folder.substr(at);
}

std::string folder_parent(const std::string& dir) {
  const std::string folder = without_end_delimiters(dir);
  const size_t at = last_component(folder.data(), folder.size());
  return without_end_delimiters(folder.substr(0, at));
}

int extcasecmp(const std::string& s, const char* ext) {
  return extcasecmp(s.data(), s.size(), ext);
}

int extcasecmp(const char* s, size_t len, const char* ext) {
  const size_t n = std::strlen(ext);
  if (len < n) return -1;
  return ::strncasecmp(s + len - n, ext, n);
}

std::string delimconvert(const std::string& path) { return replace_delimiter(path, '/', '\\'); }

std::string deliminvert(const std::string& path) { return replace_delimiter(path, '\\', '/'); }

void splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  drive[0] = dir[0] = fname[0] = ext[0] = '\0';
  const size_t len = std::strlen(path);
  size_t pos = 0;
  const size_t colon = find_chars(path, 0, len, ":").first;
  if (colon != npos) {
    put(drive, max_path, path, 0, colon + 1);
    pos = colon + 1;
  }
  const size_t delim = find_chars(path, pos, len, delimiters).last;
  if (delim != npos) {
    put(dir, max_path, path, pos, delim + 1);
    pos = delim + 1;
  }
  const size_t dot = find_chars(path, pos, len, ".").last;
  put(fname, max_path, path, pos, dot == npos ? len : dot);
  if (dot != npos) put(ext, max_path, path, dot, len);
}

void concatpath(char* out, const char* drive, const char* dir, const char* fname,
                const char* ext) {
  out[0] = '\0';
  for (const char* part : {drive, dir, fname, ext}) std::strcat(out, part);
}

void split(splitpath_t& sp, const char* path) {
  splitpath(path, sp.drive, sp.dir, sp.fname, sp.ext);
}

void concat(char* out, const splitpath_t& sp) {
  concatpath(out, sp.drive, sp.dir, sp.fname, sp.ext);
}

std::string getcwd() { return platform::current_directory(); }

std::string searchpath(const std::string& name, const char* exepath) {
  if (exists(name)) return name;

  std::list<std::string> dirs{platform::current_dir_prefix};
  if (const char* path = std::getenv("PATH")) {
    const char separator[] = {platform::path_list_separator, '\0'};
    separate_token(dirs, path, separator);
  }
  if (exepath != nullptr) {
    splitpath_t sp;
    split(sp, exepath);
    dirs.push_back(std::string(sp.drive) + sp.dir);
  }
  for (const std::string& dir : dirs) {
    // The separator is added even after one that ends the directory, as on
    // Windows; the doubled separator is harmless.
    const std::string candidate = dir + native_separator + name;
    if (exists(candidate)) return candidate;
  }
  return name;
}

bool exists(const std::string& path) {
  platform::file_info_t info;
  return platform::stat_file(path.c_str(), info);
}

}  // namespace libutils
