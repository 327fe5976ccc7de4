// Stream output helpers: repeated characters, raw character runs, and a guard
// that restores a stream's format flags.
#pragma once

#include <cstddef>
#include <ostream>

namespace libutils {

// Puts `c` `count` times.
struct _putcn {
  char c;
  size_t count;
};
// Puts `count` spaces.
struct _putspace {
  size_t count;
};
// Puts the `length` characters at `s`, unformatted.
struct _putn {
  const char* s;
  size_t length;
};

std::ostream& operator<<(std::ostream& os, const _putn& p);
std::ostream& operator<<(std::ostream& os, const _putcn& p);
std::ostream& operator<<(std::ostream& os, const _putspace& p);

// Restores the stream's format flags when it goes out of scope.
class keepflag {
 public:
  explicit keepflag(std::ostream& os);
  ~keepflag();
  keepflag(const keepflag&) = delete;
  keepflag& operator=(const keepflag&) = delete;

 private:
  std::ostream& os_;
  std::ios_base::fmtflags flags_;
};

}  // namespace libutils
