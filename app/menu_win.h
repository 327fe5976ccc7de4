// The main window: the books, albums and collections at the top of the album
// base, one row each, with the buttons that open the browser, the settings
// and the book editor. Its constructor is the program's start-up.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_rows.h"
#include "app/path.h"
#include "vexalib/message.h"

namespace pictora {

// The labels of a listed directory that the main window and the book editor
// share: the count of an album or collection, the title and the first two
// lines of the head comment (titles and comments selectable).
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

// Shows the title, head and closing comments and the secret mark of dir (a
// book or album) in a dialog's fields; a field whose file is empty keeps
// what it holds.
void show_texts(const path_t& dir, Gtk::Entry& title, comment_box_t& head, comment_box_t& last,
                Gtk::CheckButton& secret);

// A label of width 20 characters before a field, the row the dialogs use for
// their named entries.
struct field_row_t : Gtk::HBox {
  explicit field_row_t(vexalib::e_message_t label_message);

  Gtk::Label label;
};

// Puts widget into one cell of a list, growing with the list.
void attach_cell(Gtk::Table& table, Gtk::Widget& widget, int column, int row);
// Lets a list's scrolled window grow with its rows up to the screen's width
// and 640 pixels of height, less where the rest of its window would not fit
// on the screen; it scrolls beyond.
void fit_list(Gtk::ScrolledWindow& scrolled, const Gdk::Rectangle& rect);
// The height a list may take: 640 pixels, less where the rest of its window
// would not fit on the screen's work area.
int list_height_limit(Gtk::ScrolledWindow& scrolled);
// The work area of the monitor that shows widget (the primary one before it is shown).
Gdk::Rectangle work_area(Gtk::Widget& widget);
// From now on every dialog of the program whose content is larger than the
// screen's work area shows it in a scrolled window of the work area's size,
// its buttons below; a dialog that fits is left as it is.
void fit_dialogs_to_screen();
// After a dialog or an outside program: a window is iconified when OSTYPE
// was set at start and does not begin with "Win", then brought to the front.
void return_to_window(Gtk::Window& window);

class MenuWindow : public Gtk::Window {
 public:
  // Loads the catalogue and the settings (opening the settings dialog when
  // there are none), reads the command line "[-h] [<from dir> <to dir>]" and
  // builds the window. A wrong command line prints the usage line and ends
  // the process with status 0.
  MenuWindow(int argc, char** argv);

  // Writes the usage line of the program called name to standard output.
  static void usage(const std::string& name);

  // One row of the list; it owns its widgets.
  struct item_t : row_labels_t {
    bool is_album = false;
    std::string path;
    std::string name;
    Gtk::Label name_label;
    Gtk::Button item_button;
    Gtk::Button vexaview_button;
  };

  // Rebuilds the rows from disk; false when the album base cannot be listed.
  bool make_items();
  // Lets the list grow with its rows up to the screen's width and 640 pixels
  // of height; it scrolls beyond.
  void table_size_allocate(Gdk::Rectangle& rect);

  void on_btn_clicked_run_browser();
  void on_btn_clicked_optionsetting();
  // The book editor on the album base, opened again after each of its
  // actions; then the list again.
  void on_btn_clicked_edit();
  void on_btn_clicked_close();
  void on_btn_clicked_vexaview(int index);
  // The row's own dialog: its album or book viewer, or its collection.
  void on_btn_clicked_itembutton(int index);

  int argc;
  char** argv;
  std::string prog_dir;
  std::string prog_name;
  std::string catalogue_name;
  std::string catalogue_dir;
  std::string base_dir;

  Gtk::VBox vbox;
  Gtk::Label title_label;
  Gtk::TextView head_text;
  Gtk::TextView last_text;
  Gtk::ScrolledWindow scrolled;
  Gtk::Table table;
  std::vector<std::unique_ptr<item_t>> items;
  Gtk::HBox button_box;
  Gtk::Button browser_button, setting_button, edit_button, close_button;
};

// Lists the book directory book_dir as the main window lists the album base:
// its title and comments into the label and views, one row per directory
// in items, attached to table, its buttons calling on_item and on_viewer
// with the row's index. False when the book cannot be listed.
bool fill_book_rows(const std::string& book_dir, Gtk::Table& table, std::vector<std::unique_ptr<MenuWindow::item_t>>& items,
                    Gtk::Label& title, Gtk::TextView& head, Gtk::TextView& last,
                    const std::function<void(int)>& on_item, const std::function<void(int)>& on_viewer);

}  // namespace pictora
