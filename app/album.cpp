#include "app/album.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "app/replacefile.h"
#include "libutils/common.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"

namespace pictora {

namespace {

struct list_file_t {
  best_t album_t::*list;
  const char* file;
};

// The lists in load order. The first five are the classifications that a
// picture also needs to be good for; good and fail come last.
const list_file_t s_lists[] = {
    {&album_t::best_list, "best.txt"},     {&album_t::apply_list, "apply.txt"},
    {&album_t::submit_list, "submit.txt"}, {&album_t::print_list, "print.txt"},
    {&album_t::upload_list, "upload.txt"}, {&album_t::good_list, "good.txt"},
    {&album_t::fail_list, "fail.txt"},
};
constexpr size_t s_classifications = 5;

std::string rest_of(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Opens path, else the same file under its upper-case name; `opened` names
// the one that opened.
bool open_either(std::ifstream& in, std::string& opened, const std::string& path, const std::string& upper) {
  for (const std::string& candidate : {path, upper}) {
    in.open(candidate, std::ios::binary);
    if (in.is_open()) {
      opened = candidate;
      return true;
    }
  }
  return false;
}

// Every line of text, with its own line end dropped, ended by CR LF.
void write_lines(std::ostream& os, const std::string& text) {
  std::list<std::string> lines;
  libutils::separate_token(lines, text, "\n");
  for (std::string& line : lines) {
    libutils::chop(line);
    os << line << "\r\n";
  }
}

bool save_comment_file(const std::string& path, const std::string* title, const std::string& text,
                       std::ostream& log) {
  replacefile_t file(path);
  if (!file.is_open()) {
    const int err = errno;
    return libutils::fail(log, path, std::string(": file open fail, ") + std::strerror(err));
  }
  if (title) file.stream() << *title << "\r\n" << *title << "\r\n";
  write_lines(file.stream(), text);
  if (!file.commit()) return libutils::fail(log, path, ": file write error.");
  return true;
}

}  // namespace

bool album_t::load(const path_t& p) {
  path = p;
  bool all_opened = true;
  for (const list_file_t& l : s_lists) all_opened = (this->*l.list).load(p, l.file) && all_opened;
  for (size_t i = 0; i < s_classifications; ++i) {
    for (const std::string& name : (this->*s_lists[i].list).entries) {
      if (good_list.entries.insert(name).second) good_list.modified = true;
    }
  }
  changed = false;
  return all_opened;
}

bool album_t::save() {
  bool written = changed;
  for (size_t i = 0; i < s_classifications; ++i) written = (this->*s_lists[i].list).save() || written;
  changed = false;
  return written;
}

bool album_t::isfind(const std::string& name) const {
  for (size_t i = 0; i < s_classifications; ++i) {
    if (has(this->*s_lists[i].list, name)) return true;
  }
  return false;
}

void loadcomment(const std::string& txtdir, std::string& title, std::string& head, std::string& last) {
  std::ifstream in;
  std::string path;
  if (open_either(in, path, txtdir + "/head.txt", txtdir + "/HEAD.TXT")) {
    // The title is stored twice; the copies are compared with their line
    // ends so that a damaged file shows up.
    std::string line1, line2;
    std::getline(in, line1);
    std::getline(in, line2);
    head = in ? rest_of(in) : std::string();
    if (line1 != line2)
      libutils::fail(std::cerr, path, ": title different.\n" + line1 + "\n" + line2);
    if (!line1.empty()) {
      libutils::chop(line1);
      title = line1;
    }
  }
  std::ifstream last_in;
  if (open_either(last_in, path, txtdir + "/last.txt", txtdir + "/LAST.TXT")) last = rest_of(last_in);
}

bool loadcommenttxt(const path_t& p, std::string& title, std::string& head, std::string& last) {
  std::string txtdir;
  p.make(txtdir, "txt");
  struct stat st;
  if (::stat(txtdir.c_str(), &st) != 0) {
    const int err = errno;
    return libutils::fail(std::cerr, txtdir, std::string(": stat fail, ") + std::strerror(err));
  }
  loadcomment(txtdir, title, head, last);
  return true;
}

std::string loadcounttxt(const path_t& p) {
  std::string path;
  p.make(path, "txt", "count.txt");
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::getline(in, line);
  libutils::chop(line);
  return line;
}

bool savecommenttxt(const path_t& p, const std::string& title, const std::string& head,
                    const std::string& last, std::ostream& log) {
  std::string txtdir;
  p.make(txtdir, "txt");
  ::mkdir(txtdir.c_str(), 0777);  // an existing directory is fine; other failures show at open
  return save_comment_file(txtdir + "/head.txt", &title, head, log) &&
         save_comment_file(txtdir + "/last.txt", nullptr, last, log);
}

bool loadphotocomment(std::string& out, const path_t& p, const std::string& picture) {
  const std::string stem = libutils::basename(picture);
  std::string path, upper;
  p.make(path, "txt", stem + ".txt");
  p.make(upper, "txt", stem + ".TXT");
  std::ifstream in;
  std::string opened;
  if (!open_either(in, opened, path, upper)) return false;
  out = rest_of(in);
  return true;
}

bool loadphotocommentlines(std::list<std::string>& lines, const path_t& p, const std::string& picture) {
  std::string comment;
  if (!loadphotocomment(comment, p, picture)) return false;
  libutils::separate_token(lines, comment, "\n");
  return true;
}

bool savephotocomment(const std::string& comment, const std::string& albumdir, const std::string& picture) {
  const std::string path = albumdir + "/txt/" + libutils::basename(picture) + ".txt";
  if (comment.empty()) {
    ::unlink(path.c_str());  // no comment file is what was asked for
    return true;
  }
  replacefile_t file(path);
  if (file.is_open()) {
    write_lines(file.stream(), comment);
    if (file.commit()) return true;
  }
  // A failed write is reported like a failed open: either way the comment
  // was not stored.
  const int err = errno;
  return libutils::fail(std::cerr, path, std::string(": write open error, ") + std::strerror(err));
}

}  // namespace pictora
