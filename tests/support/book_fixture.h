// A prepared book tree for the book and best-of page tests: the book
// "book" below a scratch base, into which albums prepared with
// album_fixture are moved under any name or sub-book, beside plain
// directories and text files.
#pragma once

#include <string>

#include "app/path.h"
#include "tests/support/album_fixture.h"
#include "tests/support/test_util.h"

namespace testutil {

class book_fixture {
 public:
  book_fixture();

  // The book: base, "book", no album part.
  const pictora::path_t& book() const { return book_; }
  // book directory + "/" + relative
  std::string path(const std::string& relative) const;

  // Moves the album of `album` to `relative` inside the book, creating the
  // sub-books on the way.
  void adopt(const album_fixture& album, const std::string& relative);
  // Any file below the book directory, with its directories.
  void add_file(const std::string& relative, const std::string& bytes);
  // The head and closing comment files of the directory `relative`.
  void set_comment(const std::string& relative, const std::string& title, const std::string& head,
                   const std::string& last);
  // The size of the book's file `relative` in kilobytes, a started one
  // counted whole.
  std::string kb(const std::string& relative) const;

 private:
  TempDir base_;
  pictora::path_t book_;
};


}  // namespace testutil
