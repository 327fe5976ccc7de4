#include "app/makebook.h"

#include <sstream>

#include "app/album.h"
#include "app/bookedit.h"
#include "app/wintext.h"
#include "libutils/futil.h"

namespace pictora {

MakeBookDialog::MakeBookDialog(Gtk::Window& parent, const path_t& book)
    : Gtk::Dialog(msg_utf8(vexalib::msg_new_book), parent, true),
      book(book),
      dir_row(vexalib::msg_book_folder),
      browse_button(msg_utf8(vexalib::msg_browse)),
      texts(true) {
  dir_entry.set_width_chars(50);
  texts.title_entry.set_width_chars(50);
  dir_row.pack_start(dir_entry);
  dir_row.pack_start(browse_button, Gtk::PACK_SHRINK);
  texts.secret_check.set_active(is_secret(book));

  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  box.pack_start(dir_row, Gtk::PACK_SHRINK);
  texts.pack_head(box);
  texts.pack_last(box);

  leaving = dir_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeBookDialog::button_update));
  browse_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeBookDialog::button_directory));
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::APPLY, Gtk::RESPONSE_APPLY);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
  fit_dialog(*this, nullptr, Gtk::RESPONSE_OK);
  // Enter in the folder takes its name, as leaving the field does.
  dir_entry.set_activates_default(false);
  dir_entry.signal_activate().connect([this] {
    button_update(nullptr);
    texts.title_entry.grab_focus();
  });
}

// The entry loses the focus while the window goes.
MakeBookDialog::~MakeBookDialog() { leaving.disconnect(); }

path_t MakeBookDialog::get_bookdir() const {
  std::string dir;
  book.make(dir);
  return path_t{"", dir, text_locale(dir_entry.get_text())};
}

bool MakeBookDialog::button_update(GdkEventFocus*) {
  const path_t sub = get_bookdir();
  if (!sub.album.empty()) texts.take_from(sub);
  return false;
}

void MakeBookDialog::button_directory() {
  std::string dir, folder;
  book.make(dir);
  folder = dir;
  if (!choose_folder(*this, folder)) return;
  // A folder of the book is named by its path inside the book.
  const std::string inside = dir + path_separator;
  dir_entry.set_text(text_utf8(folder.compare(0, inside.size(), inside) == 0 ? folder.substr(inside.size())
                                                                               : libutils::folder_name(folder)));
  button_update(nullptr);
}

void MakeBookDialog::on_response(int id) {
  Gtk::Dialog::on_response(id);
  if (id != Gtk::RESPONSE_OK && id != Gtk::RESPONSE_APPLY) return;
  const path_t sub = get_bookdir();
  made_dir.clear();
  made_title.clear();
  // No folder name would make the comments of the book itself.
  if (sub.album.empty() || sub.album == "." || sub.album == "..") return;
  sub.make(made_dir);
  const texts_edit_t typed = texts.read();
  made_title = typed.title;
  made_head = typed.head;
  made_last = typed.last;
  // A few small files: made here, without the progress window.
  const build_context_t ctx(g_global, 1);
  libutils::report_log_t log;
  const bool made = make_book(ctx, book, sub.album, made_title, made_head, made_last, typed.secret, log);
  if (!log.text().empty())
    error_box(*this, std::string(vexalib::getmsg(made ? vexalib::msg_build_failed : vexalib::msg_comments_not_saved)) +
                         "\n\n" + log.text());
}

}  // namespace pictora
