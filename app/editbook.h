// The book editor: one book's title, comments and secret mark, and one row
// per album, sub-book and collection in it, each with its secret mark, its
// name (typed anew to rename the row or, with a directory part, to move it
// into a sub-book), its editor, its count, title and comment, and a remove
// button. From it the user makes albums and sub-books, saves the book's
// pages and updates the whole tree below it. What it does to the disk is
// app/bookedit.h.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/widgets.h"
#include "app/path.h"
#include "app/progwin.h"

namespace pictora {

class EditBookDialog : public Gtk::Dialog {
 public:
  // The editor's own answers, besides OK, Apply and Cancel: each ends with
  // the editor opened afresh by its caller.
  enum { response_make_book = 0, response_make_album = 1, response_update_all = 2, response_browser = 3 };

  EditBookDialog(Gtk::Window& parent, const path_t& book, const std::string& prog_dir, const std::string& prog_name);

  // One row; it owns its widgets.
  struct item_t : row_labels_t {
    bool is_album = false;  // an album or a collection; the others are sub-books
    std::string path;
    std::string name;
    bool secret = false;  // as listed
    Gtk::CheckButton secret_check;
    Gtk::Entry name_entry;
    Gtk::Button item_button;
    Gtk::Button remove_button;
  };

  // Rebuilds the rows and the book's texts from disk; false when the book
  // cannot be listed.
  bool make_items();
  // Whether the last OK, Apply or Update All showed an error box (the
  // editor then stays as the user left it); reading it clears it.
  bool take_refusal() { return std::exchange(refused, false); }
  // The row's editor: the album editor, the good picks or best book to
  // edit, or a sub-book's own book editor; after its OK or Apply the book
  // page is written again.
  void button_list(int index);
  // Removes the row's directory after two confirmations.
  void button_remove(int index);

  const std::string prog_dir;
  const std::string prog_name;
  path_t path;
  std::string book_dir;

  texts_panel_t texts;
  Gtk::ScrolledWindow scrolled;
  Gtk::Table table;
  std::vector<std::unique_ptr<item_t>> items;
  ProgWin progwin;

 protected:
  void on_response(int id) override;

 private:
  void make_album();
  void make_book();
  // OK, Apply and update all: the book's texts, the rows' marks and names,
  // the pages; then, with update_all, every album and book below.
  void save(bool update_all);
  void write_book_page();

  bool refused = false;
};

// Opens the book editor on book over parent, and again after each of its
// actions (Apply, its own answers, and OK while the title is empty) so that
// it always shows the disk; the list keeps its scroll position. After an
// error box it runs again as the user left it. A sub-book's editor (parent
// a book editor) is offset from its parent. after_pass runs after each
// pass with its answer.
void edit_book(Gtk::Window& parent, const path_t& book, const std::string& prog_dir, const std::string& prog_name,
               const std::function<void(int response)>& after_pass = nullptr);

}  // namespace pictora
