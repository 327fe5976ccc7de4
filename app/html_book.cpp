#include "app/html_book.h"

#include <iostream>
#include <list>
#include <sstream>
#include <string>

#include "app/album.h"
#include "app/html_file.h"
#include "app/html_page.h"
#include "app/listing.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

// The first line of the entry's counter file without its trailing blanks;
// "" when there is none.
std::string entry_count(const path_t& entry) {
  std::string line = loadcounttxt(entry);
  libutils::chop2(line);
  return line;
}

// Writes the entry's row; false, nothing written, when the entry has no
// title file and so is no album or book of its own.
bool write_entry_row(std::ostream& os, const path_t& entry) {
  std::string path, text;
  entry.make(path, "txt", "head.txt");
  if (!libutils::read_text_file(path, text, std::cerr)) return false;
  std::istringstream head(text);
  // Line 1 is the title, line 2 repeats it, line 3 starts the head comment.
  std::string title, repeated, first_comment_line;
  std::getline(head, title);
  libutils::chop(title);
  std::getline(head, repeated);
  const bool has_comment = static_cast<bool>(std::getline(head, first_comment_line));
  libutils::chop(first_comment_line);

  entry.make(path, "list.html");
  const std::string& name = entry.album;
  os << "\t<tr><td>" << name << "<td>" << entry_count(entry) << "<td>";
  if (libutils::exists(path))
    os << "<a href=\"" << name << "/list.html\">" << vexalib::getmsg(vexalib::msg_pictures)
       << "</a> ";
  os << "<td><a href=\"" << name << "/index.html\">" << title << "</a>";
  if (has_comment) os << "<td>" << first_comment_line;
  os << '\n';
  return true;
}

void write_book_page(std::ostream& os, const path_t& book, const std::list<std::string>& entries) {
  std::string title, head_text, last_text;
  loadcommenttxt(book, title, head_text, last_text);
  std::list<std::string> head = comment_lines(head_text);
  std::list<std::string> last = comment_lines(last_text);

  write_album_head(os, title, head, "\n");
  os << "<p><table>\n\t<tr>";
  for (vexalib::e_message_t heading : {vexalib::msg_name, vexalib::msg_count, vexalib::msg_pictures,
                                       vexalib::msg_title, vexalib::msg_comment})
    os << "<th>" << vexalib::getmsg(heading);
  os << '\n';
  for (const std::string& name : entries) {
    path_t entry = book;
    entry.album = name;
    std::string secret;
    entry.make(secret, "txt", "secret.txt");
    if (libutils::exists(secret)) continue;
    write_entry_row(os, entry);
  }
  os << "</table>\n";
  write_album_foot(os, last);
}

}  // namespace

bool makehtmlbook(const path_t& book, std::ostream& log) {
  std::string dir;
  book.make(dir);
  std::list<std::string> entries;
  if (!libutils::getdirs(entries, dir.c_str()))
    return libutils::fail(log, dir, ": getdirs() fail.");
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
  return write_generated_file(index, ": write open error, ", log, [&](std::ostream& os) {
    write_book_page(os, book, entries);
    return true;
  });
}

}  // namespace pictora
