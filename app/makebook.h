// The book creation dialog: a new sub-book of the book being edited, with
// its folder name, secret mark, title and comments. On OK and Apply it
// makes the book and keeps what it made; the book editor decides from the
// kept title whether a book was made.
#pragma once

#include <gtkmm.h>

#include <string>

#include "app/menu_win.h"
#include "app/path.h"

namespace pictora {

class MakeBookDialog : public Gtk::Dialog {
 public:
  MakeBookDialog(Gtk::Window& parent, const path_t& book);
  ~MakeBookDialog() override;

  // The new book: base empty, book = the parent book's directory, album =
  // the folder name typed.
  path_t get_bookdir() const;
  // Fills title, comments and secret mark from an existing sub-book of the
  // name typed.
  bool button_update(GdkEventFocus* event);
  // A folder chooser that starts in the book; a folder inside it gives its
  // path there, any other its name.
  void button_directory();

  const path_t& book;
  field_row_t dir_row;
  Gtk::Entry dir_entry;
  Gtk::Button browse_button;
  Gtk::HBox secret_row;
  Gtk::Label secret_label;
  Gtk::CheckButton secret_check;
  field_row_t title_row;
  Gtk::Entry title_entry;
  Gtk::Label head_label, last_label;
  comment_box_t head_text, last_text;

  // What the last OK or Apply made; the title stays empty when no book was
  // made.
  std::string made_dir, made_title, made_head, made_last;

 private:
  sigc::connection leaving;

 protected:
  void on_response(int id) override;
};

}  // namespace pictora
