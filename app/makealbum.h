// The album creation dialog: the camera folder's files as buttons with their
// thumbnails, to pick from and turn, the new album's name, secret mark,
// title and comments. It only collects; the book editor checks the answers
// and builds the album.
//
// It never keeps the user waiting: it shows at once, lists the folder and
// builds its buttons in short slices of the main loop, and a thread of its
// own makes the thumbnails, which arrive in listing order.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>
#include <vector>

#include "app/bookedit.h"
#include "app/camerafolder.h"
#include "app/menu_win.h"
#include "app/thumbloader.h"
#include "libgr/imagetype.h"

namespace pictora {

class MakeAlbumDialog : public Gtk::Dialog {
 public:
  MakeAlbumDialog(Gtk::Window& parent, const std::string& from, const std::string& book_dir,
                  const std::string& prog_name);
  ~MakeAlbumDialog() override;

  // The album typed: base empty, book = the book directory, album = the name.
  path_t get_to() const;
  // The picked files in listing order, each with the turn of its angle.
  std::vector<files_t> selected_files() const;
  // Everything the user gave, as the book editor checks and builds it.
  album_request_t request() const;

  // Lists the folder of the source entry anew when it changed.
  bool leave_from(GdkEventFocus* event);
  // Fills title, comments and secret mark from an existing album of the name typed.
  bool leave_to(GdkEventFocus* event);
  void button_from();
  void button_invert();
  // Lists the source folder again, then reads the album named again.
  void button_update();
  void button_image(size_t index);
  void button_is_rotate(size_t index);
  void button_rotate(size_t index);
  void table_size_allocate(Gdk::Rectangle& rect);

  // Lets the thumbnail being made finish (the main loop keeps running
  // meanwhile) and makes no more.
  void stop_loading();
  // Whether buttons or thumbnails are still to come.
  bool loading() const;

  // One file of the folder.
  struct item_t {
    const source_file_t* file = nullptr;
    libgr::image2d_t thumbnail;  // as loaded, never turned
    Gtk::Image image;
    Gtk::ToggleButton picture_button;
    Gtk::Label name_label;
    Gtk::HBox rotation_box;
    Gtk::CheckButton rotate_check;
    Gtk::SpinButton angle;
  };

  const std::string prog_name;
  const std::string book_dir;

  field_row_t source_row, target_row;
  Gtk::HBox secret_row;
  Gtk::Label secret_label;
  Gtk::CheckButton secret_check;
  Gtk::Entry source_entry, target_entry;
  Gtk::Button browse_button;
  Gtk::Label pick_label;
  Gtk::ScrolledWindow scrolled;
  Gtk::Table table;
  Gtk::HBox button_row;
  Gtk::Button invert_button, update_button;
  field_row_t title_row;
  Gtk::Entry title_entry;
  Gtk::Label head_label, last_label;
  comment_box_t head_text, last_text;

  std::string source_dir;             // the folder listed
  std::vector<source_file_t> files;   // its files
  std::vector<std::unique_ptr<item_t>> items;  // files[i]'s button, once built

 private:
  enum class thumb_t { coming, shown, none };

  void rescan();
  bool build_slice();
  void build_item(size_t index);
  void deliver(size_t index, libgr::image2d_t& image, bool loaded);
  void show_thumbnail(size_t index);
  size_t columns() const;

  bool unbuilt_selected = true;  // the state of the files without a button yet
  std::vector<thumb_t> thumbs;   // per file
  std::vector<libgr::image2d_t> early;  // thumbnails of files without a button yet
  std::unique_ptr<thumbnail_loader_t> loader;
  sigc::connection slicer, leaving[2];
  bool listed = false, rescanning = false;
};

}  // namespace pictora
