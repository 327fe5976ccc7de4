// The picture list that the album editor, the album viewer and the two
// collection dialogs share: one row per file of an album (or per picture of
// a collection) with its thumbnail button, name, comment, good/normal/fail
// mark, the five flags, for pictures of the album editor a turn, and the
// picture's camera settings or the movie's size and rate. The list shows at
// once and stays quick however long the album: its lines (of as many files
// as a line holds) stand as empty room until they come near the view, then
// their rows are built in short slices of the main loop, and the thumbnails
// and captions come from a thread of their own. Only rows near the view hold
// their pictures: a row scrolled far away lets go of its picture and asks
// for it again when it comes back, so that a long album at a high display
// scale takes the memory of a few screens, not of every picture.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/albumedit.h"
#include "app/cairobutton.h"
#include "app/menu_win.h"
#include "app/thumbloader.h"

namespace pictora {

// One file's row; it owns its widgets.
struct picture_row_t {
  path_t album;
  std::string name;
  CairoButton picture;
  Gtk::Label name_label;
  std::string comment;  // as loaded
  comment_box_t comment_view;
  Gtk::HBox mark_box;
  Gtk::RadioButton good, normal, fail;
  Gtk::CheckButton rotate_check;
  Gtk::SpinButton angle;
  Gtk::HBox flag_box;
  Gtk::CheckButton flags[5];  // in the order of s_flag_kinds
  std::string info;
  Gtk::Label info_label;
  bool has_thumbnail = false;  // the button shows its picture
};

// What a list shows and lets the user change.
struct picture_list_options_t {
  bool marks = true;     // the good/normal/fail buttons
  bool rotation = false;  // a turn for pictures
  bool comments_editable = false;
  bool flags_editable = false;
  // Called when the user picks a mark or toggles a flag; the row then shows
  // what state_of says.
  std::function<void(size_t row, mark_t mark)> on_mark;
  std::function<void(size_t row, e_bestname_t kind, bool on)> on_flag;
  // The mark and flags a row shows.
  std::function<mark_t(size_t row)> mark_of;
  std::function<bool(size_t row, e_bestname_t kind)> flag_of;
};

class picture_list_t : public Gtk::ScrolledWindow {
 public:
  struct entry_t {
    path_t album;
    std::string name;
  };

  picture_list_t(Gtk::Window& window, picture_list_options_t options);
  ~picture_list_t() override;

  // Starts building the rows of entries (replacing any); the program
  // directory is for the picture viewer.
  void fill(std::vector<entry_t> entries, const std::string& prog_dir);
  // Whether rows near the view or thumbnails are still to come.
  bool loading() const;
  // The file name of a row, built or not.
  const std::string& name(size_t row) const { return entries_[row].name; }
  // Shows each built row's mark and flags as the options' queries say.
  void refresh(size_t row);
  // The files in order with the turn of their angles (0 to 3).
  std::vector<files_t> selected_files() const;
  // Every row's comment as loaded and as the user left it; rows not built
  // yet were not changed.
  std::vector<comment_edit_t> comments(const std::function<album_t*(size_t row)>& album_of) const;
  // The vertical position, kept across a reopening.
  Glib::RefPtr<Gtk::Adjustment> vertical() { return get_vadjustment(); }

  // One per file; empty for a row not built yet.
  std::vector<std::unique_ptr<picture_row_t>> rows;

 private:
  bool build_slice();
  // The first line near the view whose rows are not built, or none; none
  // with waiting set while lines wait for a layout to tell where they lie.
  std::optional<size_t> wanted_line(bool* waiting = nullptr) const;
  void want_lines();
  // Marks in the main-loop meter when the rows near the view, and then
  // their pictures, are all in.
  void note_settled();
  // Asks the loader for the pictures of built rows near the view, those in
  // view first, and lets go of those far from it.
  void want_pictures();
  void build_row(size_t index);
  void deliver(thumbnail_loader_t::result_t& result);
  // The turn (0 to 3) a row's angle asks for; 0 where nothing turns.
  std::uint64_t turn_of(const picture_row_t& row) const;
  // Shows the row's picture turned as its angle says, made from the original.
  void show_turned(size_t index, std::uint64_t code);
  void button_picture(size_t index);
  void button_mark(size_t index, mark_t mark);
  void button_flag(size_t index, size_t flag);
  void button_is_rotate(size_t index);
  void button_rotate(size_t index);
  void lines_size_allocate(Gdk::Rectangle& rect);

  Gtk::Window& window_;
  picture_list_options_t options_;
  std::string prog_dir_;
  Gtk::VBox lines_box_;
  // The lines in order; each holds the rows of up to columns_ files.
  std::vector<std::unique_ptr<Gtk::Grid>> lines_;
  std::vector<bool> line_built_;
  size_t columns_ = 1;
  int line_height_ = 0;  // of a built line, once one is laid out
  bool rows_announced_ = false;
  struct {
    int width = 0, height = 0;
  } room_;  // of the last picture shown, in logical pixels
  std::vector<entry_t> entries_;
  enum class picture_t { none, asked, shown };
  std::vector<picture_t> pictures_;  // of each row
  bool pictures_announced_ = false;
  std::unique_ptr<thumbnail_loader_t> loader_;
  sigc::connection slicer_;
  bool syncing_ = false;  // the rows are being set from the state, not by the user
};

// Runs a dialog made by make until it is closed other than by Apply (or an
// answer `again` asks for), making it afresh each time with its list
// scrolled where the user left it. done(response) runs after each pass.
// make returns the dialog, its list's vertical adjustment, whether the
// dialog refused its last answer (an empty title: it then runs again as the
// user left it) and `again`; the functions may be empty.
struct reopened_t {
  std::unique_ptr<Gtk::Dialog> dialog;
  Glib::RefPtr<Gtk::Adjustment> scroll;
  std::function<bool()> refused;
  std::function<bool(int response)> again;
};
void run_reopening(const std::function<reopened_t()>& make, const std::function<void(int response)>& done = nullptr);

// The title, head and closing comment and the secret mark of an album or
// collection, editable or shown only, laid out as the dialogs show them.
struct texts_panel_t {
  explicit texts_panel_t(bool editable);
  void load(const path_t& dir);
  texts_edit_t read();
  // Lays out an editing dialog's box: the folder and secret rows, the list,
  // then the title and the two comments.
  void pack_around(Gtk::Box& box, Gtk::Widget& list);

  bool editable;
  Gtk::HBox dir_row;
  Gtk::Label dir_caption, dir_label;
  Gtk::HBox secret_row;
  Gtk::Label secret_label;
  Gtk::CheckButton secret_check;
  field_row_t title_row;
  Gtk::Entry title_entry;
  Gtk::Label title_label;
  Gtk::Label head_label, last_label;
  comment_box_t head_text, last_text;
};

// Fills list with the files of album's "original" folder, in listing order;
// false (and an empty list) when the folder cannot be listed.
bool list_album(picture_list_t& list, const path_t& album, const std::string& prog_dir);

// The messages of a refusal, in a box over parent.
void show_refusal(Gtk::Window& parent, const refusal_t& why);

}  // namespace pictora
