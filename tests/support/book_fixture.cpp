#include "tests/support/book_fixture.h"

#include <sys/stat.h>

#include <filesystem>

namespace testutil {

book_fixture::book_fixture() : book_{base_.path(), "book", ""} { make_dirs(path("txt")); }

std::string book_fixture::path(const std::string& relative) const {
  std::string dir;
  book_.make(dir);
  return dir + "/" + relative;
}

void book_fixture::adopt(const album_fixture& album, const std::string& relative) {
  const std::filesystem::path target = path(relative);
  std::filesystem::create_directories(target.parent_path());
  std::string from;
  album.album().make(from);
  std::filesystem::rename(from, target);
}

void book_fixture::add_file(const std::string& relative, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
  write_file(path(relative), bytes);
}

void book_fixture::set_comment(const std::string& relative, const std::string& title, const std::string& head,
                               const std::string& last) {
  add_file(relative + "/txt/head.txt", title + "\r\n" + title + "\r\n" + head);
  add_file(relative + "/txt/last.txt", last);
}

std::string book_fixture::kb(const std::string& relative) const {
  struct stat st;
  if (::stat(path(relative).c_str(), &st) != 0) return "missing";
  return std::to_string((st.st_size + 1023) / 1024);
}

}  // namespace testutil
