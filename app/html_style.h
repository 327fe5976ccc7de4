// The two ways of writing the pages, chosen by the page_style setting: the
// designed "classic" pages and "responsive" pages for phones and today's
// browsers. Both are written from the same album data to the same file
// names, so that an update switches an album or a whole book either way.
// The generators gather what a page shows and write the files; a style
// only says how each part is written.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/build_context.h"
#include "app/html_entry.h"
#include "app/path.h"

namespace pictora {

// The album-style pages: an album's page and thumbnail page, and the same
// two of a collection, whose entries come from many albums.
enum class page_kind_t { album, thumbnails, collection, collection_thumbnails };

// The title and comments around an album-style or book page.
struct page_texts_t {
  std::string name;  // the directory's name, for a page whose title is empty
  std::string title;
  std::list<std::string> head;  // comment lines, as HTML
  std::list<std::string> last;
};

// One zoom page of a picture: level k of its n levels.
struct picture_zoom_t {
  const path_t* album = nullptr;
  std::string name;
  std::string note;                // classification note, "" when none
  uint64_t k = 0, n = 0;
  std::vector<std::string> sizes;  // the level list, n + 3 names
  std::vector<std::string> zooms;  // the picture's zoom pages, n names
  std::list<std::string> comment;  // its comment lines
  std::string caption;             // its EXIF caption, as HTML lines
  // The zoom pages of the pictures before and after it that have some, at
  // the same level or their largest; "" at the ends of the album.
  std::string previous, next;
  std::string previous_name, next_name;
};

// One zoom page of a movie: the plain page of level k, or the retina page
// that plays level k in the box of level k + 1.
struct movie_zoom_t {
  std::string name;  // the movie's original
  std::string mp4name;
  std::string note;
  uint64_t k = 0;
  bool retina = false;
  uint32_t width = 0, height = 0;  // the source movie's frame size
  std::string info;                // duration and rate
};

// One row of a book's index page.
struct book_row_t {
  std::string name;     // the directory's name
  std::string count;    // its counter line, "" when it has none
  bool has_list = false;
  std::string title;
  bool has_comment = false;
  std::string comment;  // the first line of its head comment
};

// A style writes with the settings and zone of the context it was made
// for. Its parts are const and may be called from several workers at once.
class page_style_t {
 public:
  explicit page_style_t(const build_context_t& ctx) : ctx_(ctx) {}
  virtual ~page_style_t() = default;

  // The album-style pages: head, the entries of each album (begin and end
  // around them, only for an album that has some), foot.
  virtual void album_head(std::ostream& os, page_kind_t kind, page_texts_t& texts) const = 0;
  virtual void entries_begin(std::ostream& os, page_kind_t kind) const = 0;
  // One file's block on an album page; false when its size links fail,
  // reported on log.
  virtual bool entry(std::ostream& os, page_kind_t kind, entry_t& e, size_t index,
                     libutils::report_log_t& log) const = 0;
  // One file on a thumbnail page; what cannot be read of it is reported on
  // log.
  virtual void thumb(std::ostream& os, page_kind_t kind, const entry_t& e, size_t index,
                     libutils::report_log_t& log) const = 0;
  virtual void entries_end(std::ostream& os, page_kind_t kind) const = 0;
  virtual void album_foot(std::ostream& os, page_kind_t kind, page_texts_t& texts) const = 0;

  virtual void picture_zoom(std::ostream& os, const picture_zoom_t& z) const = 0;
  virtual void movie_zoom(std::ostream& os, const movie_zoom_t& z) const = 0;

  virtual void book_page(std::ostream& os, page_texts_t& texts, const std::vector<book_row_t>& rows) const = 0;

 protected:
  const build_context_t& ctx_;
};

// The style that ctx's page_style setting names, writing with ctx.
std::unique_ptr<page_style_t> make_page_style(const build_context_t& ctx);

// The two styles; make_page_style picks one by the setting.
std::unique_ptr<page_style_t> make_classic_style(const build_context_t& ctx);
std::unique_ptr<page_style_t> make_responsive_style(const build_context_t& ctx);

}  // namespace pictora
