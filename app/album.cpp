#include "app/album.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sstream>

#include "app/replacefile.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"

namespace pictora {

namespace {

std::string rest_of(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads path, else the same file under its upper-case name; `opened` names
// the one that was read.
bool read_either(std::string& text, std::string& opened, const std::string& path, const std::string& upper,
                 libutils::report_log_t& log) {
  for (const std::string& candidate : {path, upper}) {
    if (libutils::read_text_file(candidate, text, log)) {
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
                       libutils::report_log_t& log) {
  replacefile_t file(path);
  if (!file.is_open()) return libutils::fail(log, path, ": cannot be written", errno, "file open fail.");
  if (title) file.stream() << *title << "\r\n" << *title << "\r\n";
  write_lines(file.stream(), text);
  if (!file.commit()) return libutils::fail(log, path, ": cannot be written", errno, "file write error.");
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

bool album_t::load(const path_t& p, libutils::report_log_t& log) {
  path = p;
  bool all_opened = true;
  for (const list_kind_t& l : s_list_kinds)
    all_opened = (this->*l.list).load(p, l.file, log) && all_opened;
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

void loadcomment(const std::string& txtdir, std::string& title, std::string& head, std::string& last,
                 libutils::report_log_t& log) {
  std::string text, path;
  if (read_either(text, path, txtdir + "/head.txt", txtdir + "/HEAD.TXT", log)) {
    // The title is stored twice; the copies are compared with their line
    // ends so that a damaged file shows up.
    std::istringstream in(text);
    std::string line1, line2;
    std::getline(in, line1);
    std::getline(in, line2);
    head = in ? rest_of(in) : std::string();
    if (line1 != line2)
      libutils::warn(log, path, ": title different.");
    if (!line1.empty()) {
      libutils::chop(line1);
      title = line1;
    }
  }
  read_either(last, path, txtdir + "/last.txt", txtdir + "/LAST.TXT", log);
}

bool loadcommenttxt(const path_t& p, std::string& title, std::string& head, std::string& last,
                    libutils::report_log_t& log) {
  std::string txtdir;
  p.make(txtdir, "txt");
  struct stat st;
  if (::stat(txtdir.c_str(), &st) != 0) {
    // A folder without texts is no fault: a book made elsewhere, a new
    // collection, a row that is no album. Only a "txt" that is there and
    // cannot be looked at is reported.
    const int err = errno;
    if (err == ENOENT) return false;
    return libutils::fail(log, txtdir, ": cannot be read", err, "stat fail.");
  }
  loadcomment(txtdir, title, head, last, log);
  return true;
}

std::string loadcounttxt(const path_t& p, libutils::report_log_t& log) {
  std::string path, text;
  p.make(path, "txt", "count.txt");
  libutils::read_text_file(path, text, log);
  std::string line = text.substr(0, text.find('\n'));
  libutils::chop(line);
  return line;
}

bool savecommenttxt(const path_t& p, const std::string& title, const std::string& head,
                    const std::string& last, libutils::report_log_t& log) {
  std::string txtdir;
  p.make(txtdir, "txt");
  ::mkdir(txtdir.c_str(), 0777);  // an existing directory is fine; other failures show at open
  return save_comment_file(txtdir + "/head.txt", &title, head, log) &&
         save_comment_file(txtdir + "/last.txt", nullptr, last, log);
}

const char* const s_card_files_dir = "from-card";

bool is_own_text(const std::string& name) {
  // "movie-facts.tsv" holds what the movie stage learnt of each movie.
  for (const char* own : {"head.txt", "HEAD.TXT", "last.txt", "LAST.TXT", "count.txt", "secret.txt",
                          "movie-facts.tsv", s_card_files_dir})
    if (name == own) return true;
  for (const list_kind_t& list : s_list_kinds)
    if (name == list.file) return true;
  return false;
}

bool loadphotocomment(std::string& out, const path_t& p, const std::string& picture, libutils::report_log_t& log) {
  const std::string stem = libutils::basename(picture);
  for (const std::string& name : {stem + ".txt", stem + ".TXT"}) {
    std::string path;
    p.make(path, "txt", name);
    if (!is_own_text(name) && libutils::read_text_file(path, out, log)) return true;
  }
  return false;
}

bool loadphotocommentlines(std::list<std::string>& lines, const path_t& p, const std::string& picture,
                           libutils::report_log_t& log) {
  std::string comment;
  if (!loadphotocomment(comment, p, picture, log)) return false;
  libutils::separate_token(lines, comment, "\n");
  return true;
}

bool savephotocomment(const std::string& comment, const std::string& albumdir, const std::string& picture,
                      libutils::report_log_t& log) {
  const std::string name = libutils::basename(picture) + ".txt", path = albumdir + "/txt/" + name;
  if (is_own_text(name))
    return libutils::fail(log, path, ": the album's own text, not the comment of " + picture + "; not saved.");
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
  return libutils::fail(log, path, ": cannot be written", errno, "write open error.");
}

}  // namespace pictora
