#include "app/viewalbum.h"

#include "app/wintext.h"

namespace pictora {

ViewAlbumDialog::ViewAlbumDialog(Gtk::Window& parent, const path_t& album, const std::string& prog_dir)
    : Gtk::Dialog(text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_view), album.album.c_str())), parent,
                  true),
      prog_dir(prog_dir),
      album(album),
      texts(false),
      list(*this, picture_list_options_t{true, false, false, false, nullptr, nullptr,
                                         [this](size_t row) { return marks.mark(list.name(row)); },
                                         [this](size_t row, e_bestname_t kind) {
                                           return marks.flag(list.name(row), kind);
                                         }}) {
  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  // The viewer reads as a page: the folder followed by what it is, and the
  // title on a line of its own.
  texts.dir_row.reorder_child(texts.dir_label, 0);
  texts.dir_label.set_width_chars(50);
  texts.dir_caption.set_text(msg_utf8(vexalib::msg_album));
  texts.dir_caption.set_width_chars(20);
  texts.title_row.remove(texts.title_label);
  for (Gtk::Widget* widget :
       std::initializer_list<Gtk::Widget*>{&texts.dir_row, &texts.title_label, &texts.secret_row, &texts.head_text})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  box.pack_start(list);
  box.pack_start(texts.last_text, Gtk::PACK_SHRINK);
  texts.load(album);
  make_rows();
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  show_all_children();
  // As large as the screen allows: the pictures fill the list as they come.
  fit_dialog(*this, &list, Gtk::RESPONSE_OK, list.wanted_width(), 100000);
}

bool ViewAlbumDialog::make_rows() {
  libutils::report_log_t log = console_log();
  marks.load(album, log);
  return list_album(list, album, prog_dir);
}

}  // namespace pictora
