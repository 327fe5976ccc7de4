#include "app/path.h"

namespace pictora {

void pathjoin(std::string& x, const std::string& y) {
  if (y.empty()) return;
  if (!x.empty()) x += path_separator;
  x += y;
}

void path_t::make(std::string& out) const {
  out = base;
  pathjoin(out, book);
  pathjoin(out, album);
}

void path_t::make(std::string& out, const std::string& a) const {
  make(out);
  pathjoin(out, a);
}

void path_t::make(std::string& out, const std::string& a, const std::string& b) const {
  make(out, a);
  pathjoin(out, b);
}

void path_t::submake(std::string& out) const {
  out = book;
  pathjoin(out, album);
}

}  // namespace pictora
