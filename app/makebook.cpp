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
      secret_row(false, 6),
      secret_label(msg_utf8(vexalib::msg_secret)),
      title_row(vexalib::msg_title),
      head_label(msg_utf8(vexalib::msg_head_comment), 0, 0.5),
      last_label(msg_utf8(vexalib::msg_closing_comment), 0, 0.5) {
  dir_entry.set_width_chars(50);
  title_entry.set_width_chars(50);
  dir_row.pack_start(dir_entry);
  dir_row.pack_start(browse_button, Gtk::PACK_SHRINK);
  secret_row.pack_start(secret_label, Gtk::PACK_SHRINK);
  secret_row.pack_start(secret_check, Gtk::PACK_SHRINK);
  secret_check.set_active(is_secret(book));
  title_row.pack_start(title_entry);

  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{&dir_row, &secret_row, &title_row, &head_label})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  box.pack_start(head_text);
  box.pack_start(last_label, Gtk::PACK_SHRINK);
  box.pack_start(last_text);

  leaving = dir_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeBookDialog::button_update));
  browse_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeBookDialog::button_directory));
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::APPLY, Gtk::RESPONSE_APPLY);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
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
  if (!sub.album.empty()) show_texts(sub, title_entry, head_text, last_text, secret_check);
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
  made_title = text_locale(title_entry.get_text());
  made_head = head_text.text();
  made_last = last_text.text();
  std::ostringstream log;
  if (!make_book(book, sub.album, made_title, made_head, made_last, secret_check.get_active(), log)) {
    const std::string logged = log.str();
    error_box(*this, std::string(vexalib::getmsg(vexalib::msg_comments_not_saved)) + (logged.empty() ? "" : "\n" + logged));
  }
}

}  // namespace pictora
