#include "app/html_page.h"

#include <cstdio>

#include <ctime>

#include "libutils/ssutil.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

// The local time as "%c" writes it; "" when it does not fit the 100 bytes
// the pages allow for it.
std::string generated_time() {
  char buf[100];
  const std::time_t now = std::time(nullptr);
  // Pages are written side by side: each call gets a time of its own.
  std::tm local;
  if (!localtime_r(&now, &local)) return std::string();
  return std::string(buf, std::strftime(buf, sizeof buf, "%c", &local));
}

}  // namespace

std::list<std::string> comment_lines(const std::string& text) {
  std::list<std::string> lines;
  libutils::separate_token(lines, text, "\n");
  for (std::string& line : lines) libutils::chop(line);
  return lines;
}

std::list<std::string> photo_comment_lines(const path_t& album, const std::string& name, libutils::report_log_t& log) {
  std::string text;
  if (!loadphotocomment(text, album, name, log)) return {};
  return comment_lines(text);
}

void writephotocomment(std::ostream& os, std::list<std::string>& lines, unsigned long long indent) {
  bool paragraph = false;
  for (const std::string& line : lines) {
    if (line.empty()) {
      os << libutils::_putcn{'\t', indent} << "<p>";
      paragraph = true;
      continue;
    }
    if (!paragraph) os << libutils::_putcn{'\t', indent} << "<br>";
    os << line << '\n';
    paragraph = false;
  }
}

void write_page_start(const build_context_t& ctx, std::ostream& os, const std::string* title) {
  os << "<HTML>\n"
     << "<HEAD>\n";
  if (!ctx.settings.html_header.empty()) os << '\t' << ctx.settings.html_header << '\n';
  if (title) os << "\t<title>" << *title << "</title>\n";
  os << "</HEAD>\n"
     << "\n"
     << "<BODY>\n";
}

void write_album_head(const build_context_t& ctx, std::ostream& os, const std::string& title,
                      std::list<std::string>& head, const char* closing) {
  write_page_start(ctx, os, &title);
  os << "\t<CENTER><h1>" << title << "</h1></CENTER>\n";
  writephotocomment(os, head, 0);
  os << closing;
}

void write_page_foot(const build_context_t& ctx, std::ostream& os) {
  os << "<hr>\n";
  if (!ctx.settings.html_address.empty()) os << "\t<address>" << ctx.settings.html_address << "</address>\n";
  write_generation_stamp(ctx, os);
  os << "</BODY>\n"
     << "</HTML>\n";
}

void write_generation_stamp(const build_context_t& ctx, std::ostream& os) {
  os << "<!-- hhmts start -->\n";
  const std::string time = generated_time();
  if (!time.empty()) os << "HTML Generated: " << time << " (" << ctx.page_zone << ")\n";
  os << "<!-- hhmts end -->\n";
}

void write_album_foot(const build_context_t& ctx, std::ostream& os, std::list<std::string>& last) {
  writephotocomment(os, last, 0);
  os << "<p><center><a href=\"../index.html\">UP</a></center>\n";
  write_page_foot(ctx, os);
}

std::string classification_note(const album_t& album, const std::string& name, bool with_fail) {
  std::string note;
  for (const list_kind_t& list : s_list_kinds) {
    if (!is_classification(list.kind) || !album.holds(list.kind, name)) continue;
    note += note.empty() ? " (" : ", ";
    note += vexalib::getmsg(list.label);
  }
  if (!note.empty()) return note + ")";
  if (with_fail && album.fail(name))
    return std::string(" (") + vexalib::getmsg(list_kind(bestname_fail).label) + ")";
  return note;
}

uint32_t halved(uint32_t side, uint64_t times) { return times >= 32 ? 0 : side >> times; }

namespace {

// stem + suffix, or, when that is longer than a file name may be, the start
// of stem, "~" and a hash of the whole stem before suffix: a picture whose
// name is near the limit imports, and its pages must fit too. Every shorter
// name is left as it is.
std::string fitting_name(const std::string& stem, const std::string& suffix) {
  constexpr size_t name_max = 255;
  if (stem.size() + suffix.size() <= name_max) return stem + suffix;
  uint32_t hash = 2166136261u;  // FNV-1a
  for (unsigned char c : stem) hash = (hash ^ c) * 16777619u;
  char mark[10];
  std::snprintf(mark, sizeof mark, "~%08x", hash);
  size_t keep = name_max - suffix.size() - 9;
  while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) --keep;  // whole UTF-8 characters
  return stem.substr(0, keep) + mark + suffix;
}

}  // namespace

std::vector<std::string> zoom_pages(const std::string& stem, const char* infix, uint64_t first,
                                    uint64_t count) {
  std::vector<std::string> pages;
  for (uint64_t k = first; k < first + count; ++k)
    pages.push_back(fitting_name(stem, infix + std::to_string(k) + ".html"));
  return pages;
}

}  // namespace pictora
