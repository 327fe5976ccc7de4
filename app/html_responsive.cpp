// The responsive pages: HTML5 for phones and today's browsers, made from the
// same album data as the classic pages and written to the same files.
// Album, thumbnail, collection and book pages are grids of cards, one
// column on a phone and as many as fit on a desktop; zoom pages fit the
// picture to the screen and lead to the pictures before and after it (links,
// the arrow keys and Escape, a swipe); a dark scheme follows the visitor's.
// Everything is inside each page (no other file, nothing from the network)
// and works with scripting off.
//
// The pictures: every image has its width and height (no layout shift), a
// srcset with width descriptors and sizes, an alt text from the comment or
// the name, and is lazy below the first screen. The album page shows
// thumbnail-sized levels only (the thumbnail and the level below the one that
// fits the shrink box), so that a phone loads little to show it; a click
// leads to the zoom page, which offers the larger levels.
#include <cstdint>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "app/exif.h"
#include "app/global.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/html_text.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg.h"
#include "libgr/imageutil.h"
#include "libutils/futil.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

// Entries on the album page and thumbnails on the thumbnail page before
// the first lazy one: about what a phone's first screen shows.
constexpr size_t s_eager_entries = 2;
constexpr size_t s_eager_thumbs = 4;

// One style sheet for every page; colours keep a contrast of at least 4.5:1
// in both schemes.
const char* const s_style = R"(:root{color-scheme:light dark;--bg:#fff;--fg:#1b1b1b;--muted:#4d4d4d;--card:#f2f2f2;--link:#0b50c2;--mark:#a36b00}
@media (prefers-color-scheme:dark){:root{--bg:#121212;--fg:#ececec;--muted:#bdbdbd;--card:#202020;--link:#8ab4f8;--mark:#e3b23c}}
*,*::before,*::after{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0 auto;padding:1rem;max-width:160rem;background:var(--bg);color:var(--fg);font:1rem/1.5 system-ui,-apple-system,"Segoe UI",sans-serif;overflow-wrap:anywhere}
a{color:var(--link)}
img,video,audio{max-width:100%}
img,video{height:auto}
h1{font-size:1.75rem;line-height:1.25;text-align:center;margin:.5rem 0 1rem}
.grid{list-style:none;margin:1rem 0;padding:0;display:grid;gap:1rem;grid-template-columns:repeat(auto-fill,minmax(min(100%,20rem),1fr))}
.thumbs{grid-template-columns:repeat(auto-fill,minmax(min(100%,12rem),1fr))}
.card{background:var(--card);border-radius:.5rem;padding:.75rem;min-width:0}
.card img,.card video,.card audio{display:block;width:100%;border-radius:.25rem}
.marked{outline:.25rem solid var(--mark);outline-offset:-.25rem}
.name{font-weight:600;margin:.5rem 0 .25rem}
.caption,.sizes,.stamp,dl{font-size:.875rem;color:var(--muted)}
.comment>br:first-child{display:none}
.comment img,.comment video,.comment table{max-width:100%}
dl{display:grid;grid-template-columns:auto 1fr;gap:0 .75rem;margin:.5rem 0}
dd{margin:0}
.bar{display:flex;justify-content:space-between;flex-wrap:wrap;gap:.5rem 1rem;margin-bottom:.5rem}
.zoom figure{margin:0;text-align:center}
.zoom h1{font-size:1rem;margin:.5rem 0 .25rem}
.zoom figure img,.zoom figure video{display:block;margin:0 auto;width:auto;max-height:calc(100vh - 5rem)}
footer{margin-top:2rem})";

// The zoom pages' keys and swipe: ArrowLeft and ArrowRight follow the links
// to the pictures before and after, Escape the link up; a horizontal swipe
// (not while the page is zoomed in) leads before or after.
const char* const s_zoom_script = R"(<script>
(function () {
  function go(id) { var a = document.getElementById(id); if (a) location.href = a.href; }
  var keys = { ArrowLeft: "prev", ArrowRight: "next", Escape: "up" };
  document.addEventListener("keydown", function (e) {
    if (e.altKey || e.ctrlKey || e.metaKey || e.shiftKey || !keys.hasOwnProperty(e.key)) return;
    e.preventDefault();
    go(keys[e.key]);
  });
  var x = null, y = 0;
  document.addEventListener("touchstart", function (e) {
    var zoomed = window.visualViewport && window.visualViewport.scale > 1;
    x = e.touches.length == 1 && !zoomed ? e.touches[0].clientX : null;
    if (x !== null) y = e.touches[0].clientY;
  }, { passive: true });
  document.addEventListener("touchend", function (e) {
    if (x === null) return;
    var t = e.changedTouches[0], dx = t.clientX - x, dy = t.clientY - y;
    x = null;
    if (Math.abs(dx) > 60 && Math.abs(dx) > 2 * Math.abs(dy)) go(dx > 0 ? "prev" : "next");
  }, { passive: true });
})();
</script>
)";

// The language of the user's locale as a page's lang: "ja" for
// "ja_JP.UTF-8"; English for the C and POSIX locales.
std::string page_language() {
  const std::string locale = vexalib::get_locale_name();
  std::string lang;
  for (const char c : locale) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) break;
    lang += static_cast<char>(c | 0x20);
  }
  return lang.size() < 2 || lang.size() > 3 || lang == "c" || locale == "POSIX" ? "en" : lang;
}

// HTML without its tags: the text of a title or comment line for a title
// element or an attribute, with '"' as a character reference.
std::string without_tags(const std::string& html) {
  std::string text;
  bool in_tag = false;
  for (const char c : html) {
    if (c == '<') in_tag = true;
    if (!in_tag) text += c == '"' ? std::string("&quot;") : std::string(1, c);
    if (c == '>') in_tag = false;
  }
  return text;
}

// A picture file's size as the browser shows it, turned by its own EXIF
// orientation; 0 x 0 when it cannot be read.
struct shown_size_t {
  uint64_t width = 0, height = 0;
};

shown_size_t shown_size(const std::string& path) {
  libgr::jpegdata_t data;
  libgr::jpeginfo_t info;
  if (!data.load(path.c_str()) || !info.analyze_markers(data)) return {};
  shown_size_t size{info.width, info.height};
  libgr::bytes_t exif = info.get_exif();
  if (exif.empty()) return size;
  libgr::app1_marker_t app1;
  app1.set_app1_buffer(exif);
  const auto& orientation = app1.tiff_header.tag_0th_ifd.Orientation;
  // Orientations 5 to 8 turn the picture a quarter.
  if (app1.parse() && !orientation.empty() && libgr::mixorientandrightrotatecount(0, orientation[0]) % 2 == 1)
    std::swap(size.width, size.height);
  return size;
}

// One picture offered in several files: src is the first candidate.
struct image_t {
  std::vector<std::string> files;  // relative URLs, not yet encoded
  std::vector<shown_size_t> sizes;
};

// Adds level `dir` of the picture name (reached through prefix from the
// page, found through album) when it can be read.
void add_candidate(image_t& image, const path_t& album, const std::string& prefix, const std::string& dir,
                   const std::string& name) {
  std::string path;
  album.make(path, dir, name);
  const shown_size_t size = shown_size(path);
  if (size.width == 0) return;
  // Two candidates of one width are one too many for a srcset.
  for (const shown_size_t& other : image.sizes) {
    if (other.width == size.width) return;
  }
  image.files.push_back(prefix + dir + "/" + name);
  image.sizes.push_back(size);
}

// The <img> element: src the first file, srcset every file with its width,
// the page's sizes, the first file's width and height, alt, and lazy
// loading unless eager. A picture none of whose files can be read is its
// alt text.
void write_img(std::ostream& os, const image_t& image, const std::string& sizes, const std::string& alt,
               bool eager) {
  if (image.files.empty()) {
    os << alt;
    return;
  }
  os << "<img src=\"" << url_path(image.files[0]) << "\" srcset=\"";
  for (size_t i = 0; i < image.files.size(); ++i)
    os << (i ? ", " : "") << url_path(image.files[i], url_context_t::srcset) << ' ' << image.sizes[i].width << 'w';
  os << "\" sizes=\"" << sizes << "\" width=\"" << image.sizes[0].width << "\" height=\"" << image.sizes[0].height
     << "\" alt=\"" << alt << '"' << (eager ? "" : " loading=\"lazy\"") << '>';
}

// The alt text of a file: the first text line of its comment, or its name.
std::string alt_text(const std::list<std::string>& comment, const std::string& name) {
  for (const std::string& line : comment) {
    const std::string text = without_tags(line);
    if (text.find_first_not_of(" \t") != std::string::npos) return text;
  }
  return html_text(name);
}

// Lines of a caption or of size links without the line break before the
// first: in a paragraph of their own they start a line anyway.
std::string without_first_break(std::string lines) {
  if (lines.compare(0, 5, "\t<br>") == 0) lines.erase(1, 4);
  return lines;
}

std::string comment_html(std::list<std::string> lines) {
  std::ostringstream os;
  writephotocomment(os, lines, 0);
  return os.str();
}

void write_comment_block(std::ostream& os, std::list<std::string> lines) {
  if (!lines.empty()) os << "<div class=\"comment\">\n" << comment_html(lines) << "</div>\n";
}

// The page up to <body>: doctype, language, charset, viewport, the user's
// own head line when it is more than the default charset line, the title
// (its text only: a title element shows no markup) and the style sheet.
void write_head(const build_context_t& ctx, std::ostream& os, const std::string& title, const std::string& fallback, const char* body_class) {
  const std::string charset = locale_charset(vexalib::get_locale_name());
  std::string text = without_tags(title);
  if (text.find_first_not_of(" \t") == std::string::npos) text = html_text(fallback);
  os << "<!DOCTYPE html>\n"
     << "<html lang=\"" << page_language() << "\">\n"
     << "<head>\n"
     << "<meta charset=\"" << charset << "\">\n"
     << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  if (!ctx.settings.html_header.empty() &&
      ctx.settings.html_header != "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">")
    os << ctx.settings.html_header << '\n';
  os << "<title>" << text << "</title>\n"
     << "<style>\n" << s_style << "\n</style>\n"
     << "</head>\n"
     << "<body class=\"" << body_class << "\">\n";
}

// From <footer> on: the last comment, the link up, the address and the
// generation time (between the marks that let an unchanged page stand).
void write_foot(const build_context_t& ctx, std::ostream& os, const std::list<std::string>* last, const char* up, const char* script = "") {
  os << "<footer>\n";
  if (last) write_comment_block(os, *last);
  if (up) os << "<nav><a id=\"up\" href=\"" << up << "\">UP</a></nav>\n";
  os << "<hr>\n";
  if (!ctx.settings.html_address.empty()) os << "<address>" << ctx.settings.html_address << "</address>\n";
  os << "<p class=\"stamp\">\n";
  write_generation_stamp(ctx, os);
  os << "</p>\n"
     << "</footer>\n"
     << script << "</body>\n"
     << "</html>\n";
}

// The sizes of a card's picture in the album grid and of a cell of the
// thumbnail grid: the whole width less the margins on a phone, a column on
// larger screens.
const char* const s_card_sizes = "(min-width: 42rem) 22rem, calc(100vw - 3.5rem)";
const char* const s_thumb_sizes = "(min-width: 28rem) 14rem, calc(100vw - 2rem)";

// The card's classes and id: the file's entry, framed when marked. The id
// is the name's on the album's own page, where the zoom pages lead back to
// it; a collection's entries from several albums have their way there in
// it too.
void card_start(std::ostream& os, const entry_t& e, const char* cls) {
  os << "<li class=\"" << cls << (e.marked ? " marked" : "") << "\" id=\"" << entry_id(e.prefix + e.name) << "\">\n";
}

void write_name(std::ostream& os, const entry_t& e) {
  os << "<p class=\"name\">" << html_text(e.prefix + e.name) << e.note << "</p>\n";
}

class responsive_style_t : public page_style_t {
 public:
  using page_style_t::page_style_t;

  void album_head(std::ostream& os, page_kind_t, page_texts_t& texts) const override {
    write_head(ctx_, os, texts.title, texts.name, "album");
    os << "<header>\n<h1>" << texts.title << "</h1>\n";
    write_comment_block(os, texts.head);
    os << "</header>\n<main>\n";
  }

  void entries_begin(std::ostream& os, page_kind_t kind) const override {
    const bool thumbnails = kind == page_kind_t::thumbnails || kind == page_kind_t::collection_thumbnails;
    os << "<ul class=\"grid" << (thumbnails ? " thumbs" : "") << "\">\n";
  }

  bool entry(std::ostream& os, page_kind_t, entry_t& e, size_t index, libutils::report_log_t& log) const override {
    card_start(os, e, "card");
    const std::list<std::string> comment = photo_comment_lines(*e.album, e.name, log);
    std::ostringstream sizes;
    switch (e.kind) {
      case media_t::audio:
        write_name(os, e);
        os << "<audio controls preload=\"none\" src=\"" << url_path(e.prefix + "original/" + e.name)
           << "\"></audio>\n";
        break;
      case media_t::movie: {
        const uint64_t n = e.level;
        const std::string stem = libutils::basename(e.name);
        const std::vector<std::string> movies = ffmovielevels(n + 1);
        if (!writefflink(sizes, *e.album, e.prefix, movies, zoom_pages(stem, "_1_", 1, n),
                         zoom_pages(stem, "_2_", 0, n), e.name, e.duration, e.rate,
                         ctx_.settings.shrink_size, log, e.ids))
          return false;
        // As on the classic page: with retina movies the next larger level
        // plays in the box of the level that fits.
        const bool retina = ctx_.settings.movie_thumbnail_retina;
        const uint64_t box = retina ? (n >= 1 ? n : 1) : n;
        const std::string dir = retina ? movies[n >= 1 ? n - 1 : 0] : movies[n];
        os << "<video controls preload=\"none\" poster=\""
           << url_path(e.prefix + movies[n + 1] + "/" + ffjpgname(e.name)) << "\" width=\"" << halved(e.size.x, box)
           << "\" height=\"" << halved(e.size.y, box) << "\" src=\"" << url_path(e.prefix + dir + "/" + ffmp4name(e.name))
           << "\"></video>\n";
        write_name(os, e);
        os << "<p class=\"caption\">" << html_text(e.duration + ", " + e.rate) << "</p>\n";
        break;
      }
      case media_t::picture: {
        const uint64_t n = e.level;
        const std::vector<std::string> levels = picture_levels(n);
        const std::vector<std::string> zooms = zoom_pages(libutils::basename(e.name), "_", 1, n);
        const std::string file = level_name(e.name);
        if (!writelink(sizes, *e.album, e.prefix, levels, zooms, file, log)) return false;
        // The thumbnail and the level below the one that fits: what a card
        // needs, and all that a phone loads for the page.
        image_t image;
        add_candidate(image, *e.album, e.prefix, levels[n + 2], file);
        add_candidate(image, *e.album, e.prefix, levels[n + 1], file);
        os << "<a href=\"" << url_path(e.prefix + (n == 0 ? levels[0] + "/" + file : "html/" + zooms[n - 1]))
           << "\">";
        write_img(os, image, s_card_sizes, alt_text(comment, e.name), index < s_eager_entries);
        os << "</a>\n";
        write_name(os, e);
        break;
      }
    }
    write_comment_block(os, comment);
    if (e.kind == media_t::picture) {
      std::ostringstream caption;
      writeexif(caption, *e.album, "original", e.name, true, log);
      if (!caption.str().empty()) os << "<p class=\"caption\">\n" << without_first_break(caption.str()) << "</p>\n";
    }
    if (!sizes.str().empty()) os << "<p class=\"sizes\">\n" << without_first_break(sizes.str()) << "</p>\n";
    os << "</li>\n";
    return true;
  }

  void thumb(std::ostream& os, page_kind_t, const entry_t& e, size_t index,
             libutils::report_log_t& log) const override {
    card_start(os, e, "card");
    if (e.kind == media_t::audio) {
      os << "<a href=\"" << url_path(e.prefix + "original/" + e.name) << "\">" << html_text(e.prefix + e.name)
         << "</a>\n</li>\n";
      return;
    }
    const uint64_t n = e.level;
    image_t image;
    std::string target;
    if (e.kind == media_t::movie) {
      const std::vector<std::string> movies = ffmovielevels(n + 1);
      for (uint64_t k : {n + 1, n}) add_candidate(image, *e.album, e.prefix, movies[k], ffjpgname(e.name));
      target = movie_thumb_target(e);
    } else {
      const std::vector<std::string> levels = picture_levels(n);
      for (uint64_t k : {n + 2, n + 1, n}) add_candidate(image, *e.album, e.prefix, levels[k], level_name(e.name));
      target = n == 0 ? levels[0] + "/" + level_name(e.name) : "html/" + zoom_pages(libutils::basename(e.name), "_", n, 1)[0];
    }
    os << "<a href=\"" << url_path(e.prefix + target) << "\">";
    write_img(os, image, s_thumb_sizes, alt_text(photo_comment_lines(*e.album, e.name, log), e.name),
              index < s_eager_thumbs);
    os << "</a>\n</li>\n";
  }

  void entries_end(std::ostream& os, page_kind_t) const override { os << "</ul>\n"; }

  void album_foot(std::ostream& os, page_kind_t, page_texts_t& texts) const override {
    os << "</main>\n";
    write_foot(ctx_, os, &texts.last, "../index.html");
  }

  void picture_zoom(std::ostream& os, const picture_zoom_t& z) const override {
    write_head(ctx_, os, html_text(z.name), z.name, "zoom");
    write_bar(os, z.previous, z.previous_name, z.name, z.next, z.next_name);
    // The level of the page first, then the next larger and the smaller
    // ones down to the one below the level that fits.
    image_t image;
    const uint64_t k = z.k;
    const std::string file = level_name(z.name);
    add_candidate(image, *z.album, "../", z.sizes[k], file);
    add_candidate(image, *z.album, "../", z.sizes[k - 1], file);
    for (uint64_t level = k + 1; level <= z.n + 1; ++level) add_candidate(image, *z.album, "../", z.sizes[level], file);
    const shown_size_t size = image.sizes.empty() ? shown_size_t{1, 1} : image.sizes[0];
    // The picture fits the screen's width, or its height less the bar when
    // the screen is wider than the picture.
    std::ostringstream fit;
    fit << "(min-aspect-ratio: " << size.width << '/' << size.height << ") calc((100vh - 5rem) * " << size.width
        << " / " << size.height << "), 100vw";
    // A click leads one level larger: the full-size file from level 1.
    const std::string larger = k == 1 ? "../" + z.sizes[0] + "/" + file : z.zooms[k - 2];
    os << "<main>\n<figure>\n<a href=\"" << url_path(larger) << "\">";
    write_img(os, image, fit.str(), alt_text(z.comment, z.name), true);
    os << "</a>\n<figcaption>\n<h1>" << html_text(z.name) << z.note << "</h1>\n";
    write_comment_block(os, z.comment);
    if (!z.caption.empty()) os << "<p class=\"caption\">\n" << without_first_break(z.caption) << "</p>\n";
    os << "</figcaption>\n</figure>\n</main>\n";
    write_foot(ctx_, os, nullptr, nullptr, s_zoom_script);
  }

  void movie_zoom(std::ostream& os, const movie_zoom_t& z) const override {
    write_head(ctx_, os, html_text(z.mp4name), z.mp4name, "zoom");
    write_bar(os, "", "", z.name, "", "");
    // A plain page plays level k in its own size, a retina page in the box
    // of level k + 1.
    const uint64_t box = z.retina ? z.k + 1 : z.k;
    os << "<main>\n<figure>\n<video controls width=\"" << halved(z.width, box) << "\" height=\""
       << halved(z.height, box) << "\" src=\"" << url_path("../movie" + std::to_string(z.k) + "/" + z.mp4name)
       << "\"></video>\n<figcaption>\n<h1>" << html_text(z.mp4name) << z.note << "</h1>\n"
       << "<p class=\"caption\">" << html_text(z.info) << "</p>\n"
       << "</figcaption>\n</figure>\n</main>\n";
    write_foot(ctx_, os, nullptr, nullptr, s_zoom_script);
  }

  void book_page(std::ostream& os, page_texts_t& texts, const std::vector<book_row_t>& rows) const override {
    write_head(ctx_, os, texts.title, texts.name, "book");
    os << "<header>\n<h1>" << texts.title << "</h1>\n";
    write_comment_block(os, texts.head);
    os << "</header>\n<main>\n";
    if (!rows.empty()) os << "<ul class=\"grid\">\n";
    for (const book_row_t& row : rows) {
      os << "<li class=\"card\">\n"
         << "<p class=\"name\"><a href=\"" << url_path(row.name + "/index.html") << "\">"
         << (without_tags(row.title).find_first_not_of(" \t") == std::string::npos ? html_text(row.name) : row.title)
         << "</a></p>\n";
      if (row.has_comment) os << "<p>" << row.comment << "</p>\n";
      os << "<dl><dt>" << vexalib::getmsg(vexalib::msg_name) << "</dt><dd>" << html_text(row.name) << "</dd>";
      if (!row.count.empty())
        os << "<dt>" << vexalib::getmsg(vexalib::msg_count) << "</dt><dd>" << html_text(row.count) << "</dd>";
      os << "</dl>\n";
      if (row.has_list)
        os << "<p><a href=\"" << url_path(row.name + "/list.html") << "\">" << vexalib::getmsg(vexalib::msg_pictures)
           << "</a></p>\n";
      os << "</li>\n";
    }
    if (!rows.empty()) os << "</ul>\n";
    os << "</main>\n";
    write_foot(ctx_, os, &texts.last, "../index.html");
  }

 private:
  // The links before, up (to the entry of name on the album page) and after
  // of a zoom page, each with the id the keys follow; an end of the album
  // has no link.
  static void write_bar(std::ostream& os, const std::string& previous, const std::string& previous_name,
                        const std::string& name, const std::string& next, const std::string& next_name) {
    os << "<nav class=\"bar\">\n";
    os << (previous.empty() ? "<span></span>"
                            : "<a id=\"prev\" rel=\"prev\" href=\"" + url_path(previous) + "\">&larr; " +
                                  html_text(previous_name) + "</a>")
       << "\n<a id=\"up\" href=\"../index.html#" << entry_id(name) << "\">UP</a>\n"
       << (next.empty() ? "<span></span>"
                        : "<a id=\"next\" rel=\"next\" href=\"" + url_path(next) + "\">" + html_text(next_name) +
                              " &rarr;</a>")
       << "\n</nav>\n";
  }
};

}  // namespace

std::unique_ptr<page_style_t> make_responsive_style(const build_context_t& ctx) {
  return std::make_unique<responsive_style_t>(ctx);
}

}  // namespace pictora
