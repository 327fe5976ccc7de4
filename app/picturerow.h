// The picture lists of the dialogs: the grid of rows that the album
// creation dialog and the picture list share, and the picture list of the
// album editor, the album viewer and the two collection dialogs.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/albumedit.h"
#include "app/cairobutton.h"
#include "app/widgets.h"
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

// Rows of pictures in lines of as many rows as the width holds (at most
// the horizontal_items setting), scrolled up and down, never sideways. The
// list shows at once and stays quick however long it is: its lines stand as
// empty room until they come near the view, then their rows are built in
// short slices of the main loop, and the pictures come from a thread of
// their own. What a row holds is the kind of list's own.
class picture_grid_t : public Gtk::ScrolledWindow {
 public:
  ~picture_grid_t() override;

  // Whether rows near the view or pictures are still to come.
  bool loading() const;
  // The vertical position, kept across a reopening.
  Glib::RefPtr<Gtk::Adjustment> vertical() { return get_vadjustment(); }
  // The width that holds a line of horizontal_items rows.
  int wanted_width() const;
  // The rows a line holds now.
  size_t columns() const { return columns_; }
  // Lets the picture being made finish (the main loop keeps running
  // meanwhile) and makes no more.
  void stop_pictures();

 protected:
  // marks: what the main-loop meter notes when the rows near the view, and
  // then their pictures, are in.
  picture_grid_t(Gtk::Window& window, const char* rows_mark, const char* pictures_mark);

  // Starts over with one row per job, the picture of row i made by jobs[i]
  // (empty where the row has none). With keep_all every picture is asked
  // for at once, in order, and kept; otherwise only those of rows near the
  // view, and a row far from it lets go of its picture.
  void start(std::vector<thumbnail_loader_t::job_t> jobs, bool keep_all);
  // The least width one row needs, in logical pixels.
  void set_cell_width(int width) { cell_width_ = width; }
  // The width widgets ask for side by side, measured off the screen.
  static int natural_width(const std::vector<Gtk::Widget*>& widgets);
  // Asks for row index's picture again.
  void ask_again(size_t index);
  bool built(size_t index) const { return index < built_.size() && built_[index]; }
  Gtk::Window& window_;
  // Between two columns; the scroll bar's room beside the lines.
  static constexpr int column_spacing = 8, scrollbar_room = 20;
  // The width a comment asks for.
  static constexpr int comment_width = 300;

 private:
  // Makes row index's widgets; its cells, top to bottom.
  virtual std::vector<Gtk::Widget*> build_row(size_t index) = 0;
  virtual std::vector<Gtk::Widget*> cells(size_t index) = 0;
  // Shows a picture made for a built row.
  virtual void show_picture(thumbnail_loader_t::result_t& result) = 0;
  // Lets go of a built row's picture.
  virtual void forget_picture(size_t index) = 0;

  bool build_slice();
  // The first line near the view with rows not built, or none; none with
  // waiting set while lines wait for a layout to tell where they lie.
  std::optional<size_t> wanted_line(bool* waiting = nullptr) const;
  void want_lines();
  void note_settled();
  // Asks the loader for the pictures of built rows near the view, those in
  // view first, and lets go of those far from it.
  void want_pictures();
  void deliver(thumbnail_loader_t::result_t& result);
  // Lays the rows out again in lines of columns rows.
  void lay_out(size_t columns);
  void attach_row(size_t index);
  // Whether every row of the line is built.
  bool line_complete(size_t line) const;
  void width_changed(Gdk::Rectangle& rect);
  void lines_size_allocate(Gdk::Rectangle& rect);

  const char* rows_mark_;
  const char* pictures_mark_;
  Gtk::VBox lines_box_;
  // The lines in order; each holds up to columns_ rows.
  std::vector<std::unique_ptr<Gtk::Grid>> lines_;
  std::vector<bool> built_;  // of each row
  size_t count_ = 0;
  size_t columns_ = 1;
  int cell_width_ = 0;
  int width_ = 0;        // allocated to the list
  int line_height_ = 0;  // of a built line, once one is laid out
  bool keep_all_ = false;
  bool rows_announced_ = false, pictures_announced_ = false;
  enum class picture_t { none, asked, shown };
  std::vector<picture_t> pictures_;  // of each row
  std::unique_ptr<thumbnail_loader_t> loader_;
  // Pictures made before their rows were built (with keep_all).
  std::map<size_t, thumbnail_loader_t::result_t> held_;
  sigc::connection slicer_, relayer_;
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

// The picture list of the album editor, the album viewer and the two
// collection dialogs: one row per file of an album (or per picture of a
// collection) with its thumbnail button, name, comment, good/normal/fail
// mark, the five flags, for pictures of the album editor a turn, and the
// picture's camera settings or the movie's size and rate. Only rows near the
// view hold their pictures, so that a long album at a high display scale
// takes the memory of a few screens, not of every picture.
class picture_list_t : public picture_grid_t {
 public:
  struct entry_t {
    path_t album;
    std::string name;
    // Shown beside the name where pictures of several albums share it.
    std::string album_name;
  };

  picture_list_t(Gtk::Window& window, picture_list_options_t options);
  ~picture_list_t() override;

  // Starts building the rows of entries (replacing any); the program
  // directory is for the picture viewer.
  void fill(std::vector<entry_t> entries, const std::string& prog_dir);
  // The file name of a row, built or not.
  const std::string& name(size_t row) const { return entries_[row].name; }
  // Shows each built row's mark and flags as the options' queries say.
  void refresh(size_t row);
  // The files in order with the turn of their angles (0 to 3).
  std::vector<files_t> selected_files() const;
  // Every row's comment as loaded and as the user left it; rows not built
  // yet were not changed.
  std::vector<comment_edit_t> comments(const std::function<album_t*(size_t row)>& album_of) const;

  // One per file; empty for a row not built yet.
  std::vector<std::unique_ptr<picture_row_t>> rows;

 private:
  std::vector<Gtk::Widget*> build_row(size_t index) override;
  std::vector<Gtk::Widget*> cells(size_t index) override;
  void show_picture(thumbnail_loader_t::result_t& result) override;
  void forget_picture(size_t index) override;
  // Sets up a row's marks and flags (also those of the row measured for
  // the width a row needs).
  void make_controls(picture_row_t& row, const Glib::ustring& name, bool turnable);
  // The turn (0 to 3) a row's angle asks for; 0 where nothing turns.
  std::uint64_t turn_of(const picture_row_t& row) const;
  // Shows the row's picture turned as its angle says, made from the original.
  void show_turned(size_t index, std::uint64_t code);
  void button_picture(size_t index);
  void button_mark(size_t index, mark_t mark);
  void button_flag(size_t index, size_t flag);
  void button_is_rotate(size_t index);
  void button_rotate(size_t index);

  picture_list_options_t options_;
  std::string prog_dir_;
  struct {
    int width = 0, height = 0;
  } room_;  // of the last picture shown, in logical pixels
  std::vector<entry_t> entries_;
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

// Fills list with the files of album's "original" folder, in listing order;
// false (and an empty list) when the folder cannot be listed.
bool list_album(picture_list_t& list, const path_t& album, const std::string& prog_dir);

// The messages of a refusal, in a box over parent.
void show_refusal(Gtk::Window& parent, const refusal_t& why);

}  // namespace pictora
