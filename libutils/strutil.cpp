#include "libutils/strutil.h"

#include <cstdlib>
#include <cstring>

namespace libutils {

namespace {
void chop_set(std::string& s, const char* set, size_t set_len) {
  while (!s.empty() && std::memchr(set, s.back(), set_len) != nullptr) s.pop_back();
}
}  // namespace

void chop(std::string& s) { chop_set(s, "\r\n", 2); }

void chop2(std::string& s) { chop_set(s, "\0\t\n\r ", 5); }

int stringcmp(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix));
}

void separate_token(std::list<std::string>& out, const std::string& s, const char* delims) {
  const size_t ndelims = std::strlen(delims);
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    // memchr, not strchr: a NUL byte in s is no delimiter.
    if (std::memchr(delims, s[i], ndelims) != nullptr) {
      out.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < s.size()) out.push_back(s.substr(start));
}

bool separate_first_token(std::pair<std::string, std::string>& out, const std::string& s, char c) {
  const size_t pos = s.find(c);
  if (pos == std::string::npos) return false;
  out.first = s.substr(0, pos);
  out.second = s.substr(pos + 1);
  return true;
}

void concatenate_token(std::string& out, std::list<std::string>& tokens, const char* sep) {
  out.clear();
  for (const std::string& t : tokens) {
    if (&t != &tokens.front()) out += sep;
    out += t;
  }
}

// A text that is not valid in the current code page converts to an empty
// string, in both directions: a half-converted name is worse than none.
std::wstring str2wstr(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  const size_t n = std::mbstowcs(&w[0], s.c_str(), w.size());
  if (n == static_cast<size_t>(-1)) return std::wstring();
  w.resize(n);
  return w;
}

std::string wstr2str(const std::wstring& w) {
  // Room for the longest character of the code page (two bytes in the
  // Windows double-byte code pages, up to four under UTF-8).
  std::string s(w.size() * MB_CUR_MAX + 1, '\0');
  const size_t n = std::wcstombs(&s[0], w.c_str(), s.size());
  if (n == static_cast<size_t>(-1)) return std::string();
  s.resize(n);
  return s;
}

void cat(std::vector<std::string>& v, const std::list<std::string>& l) {
  v.insert(v.end(), l.begin(), l.end());
}

void copy(std::vector<std::string>& v, std::list<std::string>& l) { v.assign(l.begin(), l.end()); }

void makecharptrarray(std::vector<const char*>& v, const std::list<std::string>& l) {
  v.clear();
  for (const std::string& s : l) v.push_back(s.c_str());
}

}  // namespace libutils
