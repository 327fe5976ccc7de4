#include "app/goodalbum.h"

#include <map>

#include "app/bestbook.h"
#include "app/wintext.h"

namespace pictora {

CollectionDialog::CollectionDialog(Gtk::Window& parent, const path_t& collection, const std::string& prog_dir,
                                   bool goodpicks, e_bestname_t kind, bool editable)
    : Gtk::Dialog(text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_selection), collection.album.c_str())),
                  parent, true),
      prog_dir(prog_dir),
      path(collection),
      editable(editable),
      goodpicks(goodpicks),
      kind(kind),
      texts(editable),
      list(*this, picture_list_options_t{
                      false, false, editable && goodpicks, editable && goodpicks, nullptr,
                      [this](size_t row, e_bestname_t flag, bool on) {
                        const collection_t::entry_t& e = this->collection.entries[row];
                        set_entry(e.album->*list_kind(flag).list, e.name, on);
                      },
                      nullptr,
                      [this](size_t row, e_bestname_t flag) {
                        const collection_t::entry_t& e = this->collection.entries[row];
                        return e.album->holds(flag, e.name);
                      }}),
      progwin(*this) {
  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  texts.pack_around(box, list);
  texts.load(path);
  make_rows();
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::APPLY, Gtk::RESPONSE_APPLY);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
  // As large as the screen allows: the pictures fill the list as they come.
  fit_dialog(*this, &list, Gtk::RESPONSE_OK, list.wanted_width(), 100000);
}

bool CollectionDialog::make_rows() {
  libutils::report_log_t log = console_log();
  const bool listed = goodpicks ? load_goodpicks(collection, path, log) : load_bestbook(collection, path, kind, log);
  // A name that several albums give is shown with its album.
  std::map<std::string, int> times;
  for (const collection_t::entry_t& e : collection.entries) ++times[e.name];
  std::vector<picture_list_t::entry_t> entries;
  for (const collection_t::entry_t& e : collection.entries)
    entries.push_back({e.album->path, e.name, times[e.name] > 1 ? e.album->path.album : ""});
  list.fill(std::move(entries), prog_dir);
  return listed;
}

void CollectionDialog::on_response(int id) {
  Gtk::Dialog::on_response(id);
  if (id != Gtk::RESPONSE_APPLY && !(id == Gtk::RESPONSE_OK && editable)) return;
  refusal_t why;
  const std::vector<comment_edit_t> comments =
      list.comments([this](size_t row) { return collection.entries[row].album; });
  // As in the album editor: what was not saved keeps the dialog open, the
  // pages are made all the same.
  refused = !save_collection_texts(collection, texts.read(), comments, why);
  if (refused) show_refusal(*this, why);
  libutils::report_log_t log;
  progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t& progress, libutils::report_log_t& out) {
        return update_collection(ctx, collection, progress, out);
      },
      log);
  show_job_reports(*this, vexalib::msg_build_failed, progwin, log);
}

void run_collection(Gtk::Window& parent, const path_t& path, const std::string& prog_dir, bool goodpicks,
                    e_bestname_t kind, bool editable, const std::function<void(int response)>& done) {
  run_reopening(
      [&] {
        std::unique_ptr<CollectionDialog> dialog;
        if (goodpicks) {
          dialog = std::make_unique<GoodAlbumDialog>(parent, path, prog_dir, editable);
        } else {
          dialog = std::make_unique<BestBookDialog>(parent, path, prog_dir, kind, editable);
        }
        CollectionDialog* d = dialog.get();
        return reopened_t{std::move(dialog), d->list.vertical(), [d] { return d->take_refusal(); }, nullptr};
      },
      done);
}

}  // namespace pictora
