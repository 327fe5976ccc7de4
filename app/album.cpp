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

const list_kind_t s_list_kinds[7] = {
    {bestname_fail, "fail", "fail.txt", "_FailBook", &album_t::fail_list, vexalib::msg_fail},
    {bestname_good, "good", "good.txt", "_GoodBook", &album_t::good_list, vexalib::msg_good},
    {bestname_best, "best", "best.txt", "_BestBook", &album_t::best_list, vexalib::msg_best},
    {bestname_apply, "apply", "apply.txt", "_ApplyBook", &album_t::apply_list, vexalib::msg_apply},
    {bestname_submit, "submit", "submit.txt", "_SubmitBook", &album_t::submit_list,
     vexalib::msg_submit},
    {bestname_print, "print", "print.txt", "_PrintBook", &album_t::print_list, vexalib::msg_print},
    {bestname_upload, "upload", "upload.txt", "_UploadBook", &album_t::upload_list,
     vexalib::msg_upload},
};

const char* const s_goodpicks_dir = "_Best";

const list_kind_t& list_kind(e_bestname_t kind) {
  return kind >= bestname_fail && kind <= bestname_upload ? s_list_kinds[kind]
                                                          : s_list_kinds[bestname_best];
}

e_bestname_t collection_kind(const std::string& name) {
  for (const list_kind_t& l : s_list_kinds) {
    if (name == l.bestbook) return l.kind;
  }
  return bestname_best;
}

bool album_t::load(const path_t& p) {
  path = p;
  bool all_opened = true;
  for (const list_kind_t& l : s_list_kinds)
    all_opened = (this->*l.list).load(p, l.file) && all_opened;
  for (const list_kind_t& l : s_list_kinds) {
    if (!is_classification(l.kind)) continue;
    for (const std::string& name : (this->*l.list).entries) {
      if (good_list.entries.insert(name).second) good_list.modified = true;
    }
  }
  changed = false;
  return all_opened;
}

bool album_t::save() {
  bool written = changed;
  for (const list_kind_t& l : s_list_kinds) {
    if (is_classification(l.kind)) written = (this->*l.list).save() || written;
  }
  changed = false;
  return written;
}

bool album_t::isfind(const std::string& name) const {
  for (const list_kind_t& l : s_list_kinds) {
    if (is_classification(l.kind) && has(this->*l.list, name)) return true;
  }
  return false;
}

bool album_t::holds(e_bestname_t kind, const std::string& name) const {
  return has(this->*list_kind(kind).list, name);
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
