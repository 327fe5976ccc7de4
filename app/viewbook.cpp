#include "app/viewbook.h"

#include "app/albumedit.h"
#include "app/goodalbum.h"
#include "app/launch.h"
#include "app/viewalbum.h"
#include "app/wintext.h"

namespace pictora {

ViewBookDialog::ViewBookDialog(Gtk::Window& parent, const path_t& book, const std::string& prog_dir)
    : Gtk::Dialog(text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_view), book.album.c_str())), parent,
                  true),
      prog_dir(prog_dir),
      book(book),
      table(1, 1, false) {
  book.make(book_dir);
  head_text.set_editable(false);
  last_text.set_editable(false);
  table.set_row_spacings(2);
  table.set_col_spacings(6);
  scrolled.add(table);
  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.pack_start(title_label, Gtk::PACK_SHRINK);
  box.pack_start(head_text, Gtk::PACK_SHRINK);
  box.pack_start(scrolled);
  box.pack_start(last_text, Gtk::PACK_SHRINK);
  make_items();
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  show_all_children();
  fit_dialog(*this, &scrolled, Gtk::RESPONSE_OK);
}

bool ViewBookDialog::make_items() {
  return fill_book_rows(book_dir, table, items, title_label, head_text, last_text,
                        [this](int i) { button_list(i); }, [this](int i) { button_vexaview(i); });
}

void ViewBookDialog::button_list(int index) {
  view_row(*this, book_dir, items[static_cast<size_t>(index)]->name, prog_dir, row_opener_t::book_viewer);
}

void ViewBookDialog::button_vexaview(int index) {
  libutils::report_log_t log = console_log();
  run_vexaview(prog_dir, row_viewer_arguments(book_dir, items[static_cast<size_t>(index)]->name, log));
  return_to_window(*this);
}

void view_row(Gtk::Window& parent, const std::string& book_dir, const std::string& name, const std::string& prog_dir,
              row_opener_t opener) {
  const path_t row{"", book_dir, name};
  switch (row_dialog(book_dir, name, opener)) {
    case row_dialog_t::goodpicks:
    case row_dialog_t::bestbook:
      run_collection(parent, row, prog_dir, name == s_goodpicks_dir, collection_kind(name), false);
      break;
    case row_dialog_t::album: {
      ViewAlbumDialog dialog(parent, row, prog_dir);
      dialog.run();
      break;
    }
    case row_dialog_t::book: {
      ViewBookDialog dialog(parent, row, prog_dir);
      dialog.run();
      break;
    }
  }
  return_to_window(parent);
}

}  // namespace pictora
