// The album creation dialog: the camera folder's files as buttons with their
// thumbnails, to pick from and turn, the new album's name, secret mark,
// title and comments. It only collects; the book editor checks the answers
// and builds the album.
//
// It never keeps the user waiting: it shows at once at the size it keeps,
// lists the folder and builds its buttons in short slices of the main loop,
// and a thread of its own makes the thumbnails, which arrive in listing
// order and fill their cells.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>
#include <vector>

#include "app/bookedit.h"
#include "app/camerafolder.h"
#include "app/picturerow.h"
#include "app/thumbloader.h"
#include "app/widgets.h"
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

  // Lets the thumbnail being made finish (the main loop keeps running
  // meanwhile) and makes no more.
  void stop_loading() { list.stop_pictures(); }
  // Whether buttons or thumbnails are still to come.
  bool loading() const { return !listed || list.loading(); }

  // One file of the folder.
  struct item_t {
    const source_file_t* file = nullptr;
    libgr::image2d_t thumbnail;  // as loaded, never turned
    bool has_thumbnail = false;
    Gtk::Image image;
    Gtk::ToggleButton picture_button;
    Gtk::Label name_label;
    Gtk::HBox rotation_box;
    Gtk::CheckButton rotate_check;
    Gtk::SpinButton angle;
  };

  // The folder's files in lines of buttons, built as they come near the
  // view; every thumbnail is made, in listing order, and kept.
  class file_list_t : public picture_grid_t {
   public:
    explicit file_list_t(MakeAlbumDialog& dialog);
    // Starts over with the files of dir.
    void fill(const std::string& dir, const std::vector<source_file_t>& files, const std::string& prog_name);

    std::vector<std::unique_ptr<item_t>> items;  // one per file; empty until built

   private:
    std::vector<Gtk::Widget*> build_row(size_t index) override;
    std::vector<Gtk::Widget*> cells(size_t index) override;
    void show_picture(thumbnail_loader_t::result_t& result) override;
    void forget_picture(size_t) override {}

    MakeAlbumDialog& dialog_;
  };

  const std::string prog_name;
  const std::string book_dir;

  field_row_t source_row, target_row;
  Gtk::Entry source_entry, target_entry;
  Gtk::Button browse_button;
  Gtk::Label pick_label;
  file_list_t list;
  Gtk::HBox button_row;
  Gtk::Button invert_button, update_button;
  texts_panel_t texts;

  std::string source_dir;            // the folder listed
  std::vector<source_file_t> files;  // its files

 private:
  void rescan();
  // Sets up item index's controls once its row is built.
  void make_item(size_t index);

  bool unbuilt_selected = true;  // the state of the files without a button yet
  sigc::connection leaving[2];
  bool listed = false, rescanning = false;
};

}  // namespace pictora
