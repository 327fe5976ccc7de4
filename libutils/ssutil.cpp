#include "libutils/ssutil.h"

#include <string>

namespace libutils {

std::ostream& operator<<(std::ostream& os, const _putn& p) {
  return os.write(p.s, static_cast<std::streamsize>(p.length));
}

std::ostream& operator<<(std::ostream& os, const _putcn& p) {
  const std::string run(p.count, p.c);
  return os.write(run.data(), static_cast<std::streamsize>(run.size()));
}

std::ostream& operator<<(std::ostream& os, const _putspace& p) { return os << _putcn{' ', p.count}; }

keepflag::keepflag(std::ostream& os) : os_(os), flags_(os.flags()) {}

keepflag::~keepflag() { os_.flags(flags_); }

}  // namespace libutils
