// What every generated page shares: the page start and head, comment lines
// as HTML, the classification note, the foot with address and time stamp,
// and the names of the zoom pages of a picture or movie.
//
// Line ends: every page line ends with a single '\n'. The album, list and
// best-of pages are text-mode files, and text mode writes '\n' unchanged on
// this platform; the zoom pages are binary files that end their lines with a
// line feed by design. So all pages end their lines the same way here.
#pragma once

#include <cstdint>
#include <list>
#include <ostream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/build_context.h"
#include "app/path.h"

namespace pictora {

// The lines of a comment text split at line feeds, each without its trailing
// CR and LF characters.
std::list<std::string> comment_lines(const std::string& text);
// The lines of the comment of one file of album, empty when it has none.
std::list<std::string> photo_comment_lines(const path_t& album, const std::string& name, libutils::report_log_t& log);

// Writes comment lines as HTML: a text line after another text line starts
// with "<br>", an empty line becomes "<p>" in front of the next line, and
// each of these tags follows `indent` tabs.
void writephotocomment(std::ostream& os, std::list<std::string>& lines, unsigned long long indent);

// "<HTML>" to "<BODY>": the html_header line when it is set, and a title
// element when title is not null.
void write_page_start(const build_context_t& ctx, std::ostream& os, const std::string* title);
// The head of an album-style page: page start with title, the title as a
// centred heading, the head comment, then `closing` as it is (the album page
// ends its head with "<p>\n", the thumbnail page with "<br>\n\n").
void write_album_head(const build_context_t& ctx, std::ostream& os, const std::string& title,
                      std::list<std::string>& head, const char* closing);
// The foot of every page from "<hr>" on: address, generation time, closing tags.
void write_page_foot(const build_context_t& ctx, std::ostream& os);
// The generation time between the two comment lines that mark it, so that
// a page that differs from the one on disk only there is left as it is.
void write_generation_stamp(const build_context_t& ctx, std::ostream& os);
// The foot of an album-style page: the last comment, the link up, the foot.
void write_album_foot(const build_context_t& ctx, std::ostream& os, std::list<std::string>& last);

// " (" + the labels of the classifications best, apply, submit, print and
// upload that hold name, joined by ", ", + ")". Without those, the fail
// label when with_fail is set and the fail list holds name; else "".
std::string classification_note(const album_t& album, const std::string& name, bool with_fail);

// A side of a frame size halved `times` times (integer division).
uint32_t halved(uint32_t side, uint64_t times);

// Zoom page names stem + infix + k + ".html" for k = first ... first+count-1:
// a picture's pages are zoom_pages(B, "_", 1, n), a movie's plain pages
// zoom_pages(B, "_1_", 1, n) and its retina pages zoom_pages(B, "_2_", 0, n).
// A name that would be longer than 255 bytes keeps the start of the stem
// and a hash of it instead.
std::vector<std::string> zoom_pages(const std::string& stem, const char* infix, uint64_t first,
                                    uint64_t count);
}  // namespace pictora
