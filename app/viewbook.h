// The book viewer: a book's title, comments and rows as the main window
// lists the album base, each row opening its own viewer (albums, nested
// books, collections) or the picture viewer. Nothing is written from it.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>
#include <vector>

#include "app/albumedit.h"
#include "app/menu_win.h"
#include "app/path.h"

namespace pictora {

class ViewBookDialog : public Gtk::Dialog {
 public:
  ViewBookDialog(Gtk::Window& parent, const path_t& book, const std::string& prog_dir);

  // Rebuilds the rows and texts from disk; false when the book cannot be listed.
  bool make_items();
  void button_list(int index);
  void button_vexaview(int index);

  const std::string prog_dir;
  const path_t book;
  std::string book_dir;
  Gtk::Label title_label;
  Gtk::TextView head_text, last_text;
  Gtk::ScrolledWindow scrolled;
  Gtk::Table table;
  std::vector<std::unique_ptr<MenuWindow::item_t>> items;
};

// Opens, over parent (the main window or a book viewer, as opener says),
// what the row name of the book directory book_dir shows: the album viewer,
// a nested book viewer, or the good picks or best book to look at; then
// brings parent back.
void view_row(Gtk::Window& parent, const std::string& book_dir, const std::string& name, const std::string& prog_dir,
              row_opener_t opener);

}  // namespace pictora
