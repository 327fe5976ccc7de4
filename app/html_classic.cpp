// The classic pages, as designed: tables and centred headings, one block
// per file, zoom pages that lead one level larger.
#include <list>
#include <string>

#include "app/exif.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/html_text.h"
#include "app/import.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

class classic_style_t : public page_style_t {
 public:
  using page_style_t::page_style_t;

  void album_head(std::ostream& os, page_kind_t kind, page_texts_t& texts) const override {
    // The album's thumbnail page ends its head otherwise than the others.
    write_album_head(ctx_, os, texts.title, texts.head, kind == page_kind_t::thumbnails ? "<br>\n\n" : "<p>\n");
  }

  void entries_begin(std::ostream&, page_kind_t) const override {}

  bool entry(std::ostream& os, page_kind_t kind, entry_t& e, size_t, libutils::report_log_t& log) const override {
    if (!write_entry(os, e, log)) return false;
    // In a collection every entry ends with "\t<p>" and an empty line;
    // pictures end so already, sounds and movies after a "\t<p>" line of
    // their own.
    if (kind == page_kind_t::collection && e.kind != media_t::picture) os << "\t<p>\n\n";
    return true;
  }

  void thumb(std::ostream& os, page_kind_t kind, const entry_t& e, size_t, libutils::report_log_t&) const override {
    write_thumb(os, e, kind == page_kind_t::thumbnails ? " border=2" : "border=2");
  }

  void entries_end(std::ostream& os, page_kind_t kind) const override {
    // After each album of a collection; the thumbnails' separator starts the
    // next album's first line.
    if (kind == page_kind_t::collection) os << "<hr>\n";
    if (kind == page_kind_t::collection_thumbnails) os << " | ";
  }

  void album_foot(std::ostream& os, page_kind_t kind, page_texts_t& texts) const override {
    if (kind == page_kind_t::collection_thumbnails) os << '\n';
    write_album_foot(ctx_, os, texts.last);
  }

  void picture_zoom(std::ostream& os, const picture_zoom_t& z) const override {
    zoom_start(os, z.name, z.note);
    const uint64_t k = z.k;
    // A click leads one level larger: the full-size file from level 1.
    const std::string file = level_name(z.name);
    const std::string target = k == 1 ? "../" + z.sizes[0] + "/" + file : z.zooms[k - 2];
    const std::string shown = "../" + z.sizes[k] + "/" + file;
    const std::string larger = "../" + z.sizes[k - 1] + "/" + file;
    os << "<a href=\"" << url_path(target) << "\"><IMG SRC=\"" << url_path(shown) << "\" SRCSET=\""
       << url_path(shown, url_context_t::srcset) << " 1x," << url_path(larger, url_context_t::srcset)
       << " 2x\" ALIGN=\"left\"></a>\n";
    std::list<std::string> comment = z.comment;
    writephotocomment(os, comment, 1);
    os << "\t<br clear=all>\n" << z.caption;
    write_page_foot(ctx_, os);
  }

  void movie_zoom(std::ostream& os, const movie_zoom_t& z) const override {
    zoom_start(os, z.mp4name, z.note);
    const std::string src = url_path("../movie" + std::to_string(z.k) + "/" + z.mp4name);
    const std::string info = "\t" + html_text(z.info) + "\n";
    if (!z.retina) {
      os << "\t<video controls>\n"
         << "\t<source src=\"" << src << "\">\n"
         << "\t</video>\t<br clear=all>\n"
         << info << "\t<p>\n";
    } else {
      os << "\t<video controls  width=\"" << halved(z.width, z.k + 1) << "px\" height=\""
         << halved(z.height, z.k + 1) << "px\" src=\"" << src << "\">\n"
         << "\t</video>\n"
         << "\t<br clear=all>\n"
         << info;
    }
    write_page_foot(ctx_, os);
  }

  void book_page(std::ostream& os, page_texts_t& texts, const std::vector<book_row_t>& rows) const override {
    write_album_head(ctx_, os, texts.title, texts.head, "\n");
    os << "<p><table>\n\t<tr>";
    for (vexalib::e_message_t heading : {vexalib::msg_name, vexalib::msg_count, vexalib::msg_pictures,
                                         vexalib::msg_title, vexalib::msg_comment})
      os << "<th>" << vexalib::getmsg(heading);
    os << '\n';
    for (const book_row_t& row : rows) {
      os << "\t<tr><td>" << html_text(row.name) << "<td>" << html_text(row.count) << "<td>";
      if (row.has_list)
        os << "<a href=\"" << url_path(row.name + "/list.html") << "\">" << vexalib::getmsg(vexalib::msg_pictures)
           << "</a> ";
      os << "<td><a href=\"" << url_path(row.name + "/index.html") << "\">" << row.title << "</a>";
      if (row.has_comment) os << "<td>" << row.comment;
      os << '\n';
    }
    os << "</table>\n";
    write_album_foot(ctx_, os, texts.last);
  }

 private:
  // The start of a zoom page: no title, the shown name and note.
  void zoom_start(std::ostream& os, const std::string& name, const std::string& note) const {
    write_page_start(ctx_, os, nullptr);
    os << "\t<li>" << html_text(name) << note << "\n"
       << "\t<br clear=all>\n";
  }
};

}  // namespace

std::unique_ptr<page_style_t> make_classic_style(const build_context_t& ctx) {
  return std::make_unique<classic_style_t>(ctx);
}

}  // namespace pictora
