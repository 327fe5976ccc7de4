// A book or album directory as the album base, the book inside it and the
// album inside the book, with the paths of the files inside it.
#pragma once

#include <string>

#include "libutils/futil.h"

namespace pictora {

// The separator put between the parts that path_t joins.
constexpr char path_separator = libutils::native_separator;

struct path_t {
  std::string base;   // the album base of all books
  std::string book;   // relative to base; sub-books nest as parent/child; "" for base itself
  std::string album;  // album directory inside book; "" when this names a book

  // Every operation replaces out. An empty part adds nothing, and a part
  // keeps any separator it carries itself.
  void make(std::string& out) const;  // the directory itself
  void make(std::string& out, const std::string& a) const;
  void make(std::string& out, const std::string& a, const std::string& b) const;
  // book joined with album: the directory relative to base, which is the book
  // of a path_t one level deeper.
  void submake(std::string& out) const;
};

// x becomes x joined with y: y when x is empty, x when y is empty, otherwise
// x, the separator and y.
void pathjoin(std::string& x, const std::string& y);

}  // namespace pictora
