// The book creation dialog: a new sub-book of the book being edited, with
// its folder name, secret mark, title and comments. On OK and Apply it
// makes the book and keeps what it made; the book editor decides from the
// kept title whether a book was made.
#pragma once

#include <gtkmm.h>

#include <string>

#include "app/path.h"
#include "app/widgets.h"

namespace pictora {

class MakeBookDialog : public Gtk::Dialog {
 public:
  MakeBookDialog(Gtk::Window& parent, const path_t& book);
  ~MakeBookDialog() override;

  // The new book: base empty, book = the parent book's directory, album =
  // the folder name typed.
  path_t get_bookdir() const;
  // Fills title, comments and secret mark from an existing sub-book of the
  // name typed; leaving the field or Enter in it calls it.
  bool button_update(GdkEventFocus* event);
  // A folder chooser that starts in the book; a folder inside it gives its
  // path there, any other its name.
  void button_directory();

  const path_t& book;
  field_row_t dir_row;
  Gtk::Entry dir_entry;
  Gtk::Button browse_button;
  texts_panel_t texts;

  // What the last OK or Apply made; the title stays empty when no book was
  // made.
  std::string made_dir, made_title, made_head, made_last;

 private:
  sigc::connection leaving;

 protected:
  void on_response(int id) override;
};

}  // namespace pictora
