#include "app/html_book.h"

#include <cerrno>
#include <list>
#include <sstream>
#include <string>

#include "app/album.h"
#include "app/html_file.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/listing.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"

namespace pictora {

namespace {

// The first line of the entry's counter file without its trailing blanks;
// "" when there is none.
std::string entry_count(const path_t& entry, libutils::report_log_t& log) {
  std::string line = loadcounttxt(entry, log);
  libutils::chop2(line);
  return line;
}

// The entry's row; false when the entry has no title file and so is no
// album or book of its own.
bool read_entry_row(const path_t& entry, book_row_t& row, libutils::report_log_t& log) {
  std::string path, text;
  entry.make(path, "txt", "head.txt");
  if (!libutils::read_text_file(path, text, log)) return false;
  std::istringstream head(text);
  // Line 1 is the title, line 2 repeats it, line 3 starts the head comment.
  std::string repeated;
  std::getline(head, row.title);
  libutils::chop(row.title);
  std::getline(head, repeated);
  row.has_comment = static_cast<bool>(std::getline(head, row.comment));
  libutils::chop(row.comment);
  row.name = entry.album;
  row.count = entry_count(entry, log);
  entry.make(path, "list.html");
  row.has_list = libutils::exists(path);
  return true;
}

void write_book_page(const build_context_t& ctx, std::ostream& os, const path_t& book,
                     const std::list<std::string>& entries, libutils::report_log_t& log) {
  page_texts_t texts;
  std::string head_text, last_text;
  loadcommenttxt(book, texts.title, head_text, last_text, log);
  std::string dir;
  book.make(dir);
  texts.name = libutils::folder_name(dir);
  texts.head = comment_lines(head_text);
  texts.last = comment_lines(last_text);
  std::vector<book_row_t> rows;
  for (const std::string& name : entries) {
    path_t entry = book;
    entry.album = name;
    std::string secret;
    entry.make(secret, "txt", "secret.txt");
    if (libutils::exists(secret)) continue;
    book_row_t row;
    if (read_entry_row(entry, row, log)) rows.push_back(row);
  }
  make_page_style(ctx)->book_page(os, texts, rows);
}

}  // namespace

bool makehtmlbook(const build_context_t& ctx, const path_t& book, libutils::report_log_t& log) {
  std::string dir;
  book.make(dir);
  std::list<std::string> entries;
  if (!libutils::getdirs(entries, dir.c_str()))
    return libutils::fail(log, dir, ": the book's folder cannot be read", errno);
  // Names that begin with a date, year first, then come newest first. No
  // name is left out as such: the book's own "txt" has no title file. A
  // link that leads back to the book, out of it or to an entry listed
  // already is no entry of its own.
  entries.reverse();
  walk_t walk(dir);
  entries.remove_if([&](const std::string& name) {
    path_t entry = book;
    entry.album = name;
    std::string path;
    entry.make(path);
    return !walk.enter(path);
  });
  std::string index;
  book.make(index, "index.html");
  return write_generated_file(index, log, [&](std::ostream& os) {
    write_book_page(ctx, os, book, entries, log);
    return true;
  });
}

}  // namespace pictora
