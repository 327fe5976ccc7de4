// Path functions. Both '/' and '\' separate components and a drive ends with
// ':'; delimiters are searched for in the wide-character form of a path, so
// the trail byte of a double-byte character is never taken for one.
#pragma once

#include <cstddef>
#include <string>

namespace libutils {

// The separator that paths built by the system use on this platform.
constexpr char native_separator = '/';

// Last component without its extension: a\b.c.jpg -> b.c, a\.profile -> "".
std::string basename(const std::string& path);
std::string basename2(const std::string& path);
// Everything up to and including the last delimiter; "" without one.
std::string dirname(const std::string& path);
// Buffer forms: write at most n bytes (NUL included) to dst, return the
// number of bytes of the result written (without the NUL).
size_t basename(char* dst, const char* src, size_t n);
size_t dirname(char* dst, const char* src, size_t n);
// First byte of the last component; path itself without a delimiter.
const char* baseptr(const char* path);
// The name of the folder dir names: its whole last component, every
// character kept (a dot starts no extension here), delimiters at its end
// left aside: "book/2026.05.01 Trip/" -> "2026.05.01 Trip"; "" for "" and "/".
std::string folder_name(const std::string& dir);
// The folder that holds it, without delimiters at its end: "book/a.b" ->
// "book", "a" -> "", "/a" -> "/".
std::string folder_parent(const std::string& dir);
// -1 when s is shorter than ext, otherwise the case-insensitive comparison of
// s's last strlen(ext) bytes with ext (0: s ends with ext).
int extcasecmp(const std::string& s, const char* ext);
int extcasecmp(const char* s, size_t len, const char* ext);
// Every '/' replaced by '\' / every '\' replaced by '/'.
std::string delimconvert(const std::string& path);
std::string deliminvert(const std::string& path);

constexpr size_t max_path = 260;

struct splitpath_t {
  char drive[max_path];
  char dir[max_path];
  char fname[max_path];
  char ext[max_path];
};

// Fills the four buffers (each at least max_path bytes).
void splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
// out = drive + dir + fname + ext.
void concatpath(char* out, const char* drive, const char* dir, const char* fname, const char* ext);
void split(splitpath_t& sp, const char* path);
void concat(char* out, const splitpath_t& sp);

std::string getcwd();
// Whether path can be examined (stat succeeds, links followed).
bool exists(const std::string& path);
// Where `name` is found: itself, ./name, each PATH directory, then the
// directory of exepath; `name` unchanged when none exists.
std::string searchpath(const std::string& name, const char* exepath);

}  // namespace libutils
