// The widgets and layout rules the windows share: the labels of a listed
// directory, a framed comment, a named field's row, the panel of a book's or
// album's title, comments and secret mark, and the sizing that keeps every
// dialog within the screen's work area with its buttons in view.
#pragma once

#include <gtkmm.h>

#include <string>

#include "app/albumedit.h"
#include "app/menu_rows.h"
#include "app/path.h"
#include "vexalib/message.h"

namespace pictora {

// The labels of a listed directory that the main window, the book viewer
// and the book editor share: the count of an album or collection, the title
// and the first two lines of the head comment (titles and comments
// selectable).
struct row_labels_t {
  Gtk::Label count_label;
  Gtk::Label title_label;
  Gtk::Label comment_label;

  void fill(const menu_row_t& row);
};

// A comment as the dialogs edit it: a text view in a framed box that asks
// for 300 x 60 pixels and scrolls beyond. Texts in the locale's encoding.
struct comment_box_t : Gtk::ScrolledWindow {
  comment_box_t();
  std::string text();
  void set_text(const std::string& text);

  Gtk::TextView view;
};

// A label of width 20 characters before a field, the row the dialogs use for
// their named entries.
struct field_row_t : Gtk::HBox {
  explicit field_row_t(vexalib::e_message_t label_message);

  Gtk::Label label;
};

// The title, head and closing comment and the secret mark of a book, an
// album or a collection, editable or shown only. A dialog packs the rows it
// shows; the folder row is for the picture dialogs.
struct texts_panel_t {
  explicit texts_panel_t(bool editable);
  // Shows everything dir holds, empty texts included.
  void load(const path_t& dir);
  // Shows what an existing folder dir holds over what was typed: a text
  // whose file is empty keeps the field's; the secret mark is dir's. As the
  // creation dialogs fill their fields from a name typed or chosen.
  void take_from(const path_t& dir);
  texts_edit_t read();
  // Packs the secret row, the title row and the head comment into box.
  void pack_head(Gtk::Box& box);
  // Packs the closing comment into box.
  void pack_last(Gtk::Box& box);
  // Lays out a picture dialog's box: the folder and secret rows, the list,
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

// Puts widget into one cell of a list, growing with the list.
void attach_cell(Gtk::Table& table, Gtk::Widget& widget, int column, int row);

// The work area of the monitor that shows widget, or that of its parent
// window before it is shown (the primary monitor for a window without one).
Gdk::Rectangle work_area(Gtk::Widget& widget);
// The room a window manager's frame takes around a window: a title bar and
// borders.
constexpr int frame_width = 24, frame_height = 56;

// Gives dialog the size it keeps: as large as its content asks (with the
// list scrolled asks to show its whole content, at least wanted_list_height
// pixels high; 0 leaves the list's height to the content) within the work
// area less the frame, placed on its parent (when offset is not 0, as
// large as the parent and `offset` pixels down and right of its corner, so
// that a dialog of the same kind does not hide its parent). Content that arrives later
// scrolls in the list, never grows the dialog. Enter answers `default_response`.
void fit_dialog(Gtk::Dialog& dialog, Gtk::ScrolledWindow* list, int default_response, int wanted_width = 0,
                int wanted_list_height = 0, int offset = 0);
// Keeps a window that sizes itself (a folder chooser) within the work area
// less the frame, on the screen.
void keep_within_screen(Gtk::Window& window);
// Lets the main window's list grow with its rows up to the screen's width
// and 640 pixels of height, less where the rest of the window would not fit
// the work area; it scrolls beyond.
void fit_list(Gtk::ScrolledWindow& scrolled, const Gdk::Rectangle& rect);

// After a dialog or an outside program: a window is iconified when OSTYPE
// was set at start and does not begin with "Win", then brought to the front.
void return_to_window(Gtk::Window& window);

}  // namespace pictora
