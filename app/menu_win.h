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
#include "app/widgets.h"
#include "vexalib/message.h"

namespace pictora {

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
