// An album base as the main window lists it: comment files of its own, the
// collections "_Best", "_GoodBook", "_PrintBook" and "_Odd", an album, a book
// holding an album, an album without counts and a directory without comment
// files.
#pragma once

#include <string>

#include "tests/support/test_util.h"

namespace testutil {

class base_fixture {
 public:
  base_fixture();

  // The album base, without a trailing separator.
  const std::string& base() const { return dir_.path(); }
  // base() + "/" + relative
  std::string path(const std::string& relative) const { return dir_ / relative; }

  // The head comment file (title twice, then head) and the closing comment
  // file of the directory relative ("" for the base itself).
  void set_comment(const std::string& relative, const std::string& title, const std::string& head,
                   const std::string& last = "");
  // Any file below the base, with its directories.
  void add_file(const std::string& relative, const std::string& bytes);

 private:
  TempDir dir_;
};

}  // namespace testutil
