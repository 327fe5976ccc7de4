#include "app/editalbum.h"

#include "app/loopmeter.h"
#include "app/wintext.h"

namespace pictora {

EditAlbumDialog::EditAlbumDialog(Gtk::Window& parent, const path_t& album, const std::string& prog_dir)
    : Gtk::Dialog(text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_edit), album.album.c_str())), parent,
                  true),
      prog_dir(prog_dir),
      album(album),
      texts(true),
      list(*this,
           picture_list_options_t{
               true, true, true, true,
               [this](size_t row, mark_t mark) { marks.set_mark(list.name(row), mark); },
               [this](size_t row, e_bestname_t kind, bool on) { marks.set_flag(list.name(row), kind, on); },
               [this](size_t row) { return marks.mark(list.name(row)); },
               [this](size_t row, e_bestname_t kind) { return marks.flag(list.name(row), kind); }}),
      progwin(*this) {
  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  texts.pack_around(box, list);
  make_rows();
  texts.load(album);
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::APPLY, Gtk::RESPONSE_APPLY);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
  // As large as the screen allows: the pictures fill the list as they come.
  fit_dialog(*this, &list, Gtk::RESPONSE_OK, list.wanted_width(), 100000);
}

bool EditAlbumDialog::make_rows() {
  libutils::report_log_t log = console_log();
  marks.load(album, log);
  return list_album(list, album, prog_dir);
}

void EditAlbumDialog::on_response(int id) {
  Gtk::Dialog::on_response(id);
  if (id != Gtk::RESPONSE_OK && id != Gtk::RESPONSE_APPLY) return;
  bool best_page = false;
  refusal_t why;
  const std::vector<comment_edit_t> comments = list.comments([this](size_t) { return &marks.record; });
  // Texts or comments left unsaved keep the dialog open as the user left
  // it, so that nothing typed is lost; the lists are saved and the album
  // updated all the same.
  refused = !save_album_edit(marks, texts.read(), comments, best_page, why);
  if (refused) show_refusal(*this, why);
  const std::vector<files_t> files = selected_files();
  loop_mark("album update started");
  libutils::report_log_t log;
  progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t& progress, libutils::report_log_t& out) {
        return update_edited_album(ctx, album, files, best_page, progress, out);
      },
      log);
  loop_mark("album update ended");
  show_job_reports(*this, vexalib::msg_build_failed, progwin, log);
}

void edit_album(Gtk::Window& parent, const path_t& album, const std::string& prog_dir,
                const std::function<void(int response)>& done) {
  run_reopening(
      [&] {
        auto dialog = std::make_unique<EditAlbumDialog>(parent, album, prog_dir);
        EditAlbumDialog* d = dialog.get();
        return reopened_t{std::move(dialog), d->list.vertical(), [d] { return d->take_refusal(); }, nullptr};
      },
      done);
}

}  // namespace pictora
