#include "app/makealbum.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <numeric>

#include "app/album.h"
#include "app/bookedit.h"
#include "app/external.h"
#include "app/global.h"
#include "app/loopmeter.h"
#include "app/wintext.h"
#include "libgr/imageutil.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

// The place of a button before its thumbnail comes: the size of an EXIF
// thumbnail, the commonest one.
constexpr int placeholder_width = 160, placeholder_height = 120;
// What a toggle button takes around its picture.
constexpr int button_frame = 12;

}  // namespace

MakeAlbumDialog::MakeAlbumDialog(Gtk::Window& parent, const std::string& from, const std::string& book_dir,
                                 const std::string& prog_name)
    : Gtk::Dialog(msg_utf8(vexalib::msg_new_album), parent, true),
      prog_name(prog_name),
      book_dir(book_dir),
      source_row(vexalib::msg_from),
      target_row(vexalib::msg_album),
      browse_button(msg_utf8(vexalib::msg_browse)),
      pick_label(msg_utf8(vexalib::msg_pick_files), 0, 0.5),
      list(*this),
      button_row(false, 6),
      invert_button(msg_utf8(vexalib::msg_invert)),
      update_button(msg_utf8(vexalib::msg_rescan)),
      texts(true) {
  source_entry.set_width_chars(50);
  target_entry.set_width_chars(50);
  texts.title_entry.set_width_chars(50);
  source_entry.set_text(text_utf8(from));
  target_entry.set_text(default_album_name(std::time(nullptr)));
  source_row.pack_start(source_entry);
  source_row.pack_start(browse_button, Gtk::PACK_SHRINK);
  target_row.pack_start(target_entry);
  // A new album of a secret book starts secret.
  texts.secret_check.set_active(is_secret(path_t{"", book_dir, ""}));
  button_row.pack_start(invert_button, Gtk::PACK_SHRINK);
  button_row.pack_start(update_button, Gtk::PACK_SHRINK);

  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  for (Gtk::Widget* widget :
       std::initializer_list<Gtk::Widget*>{&source_row, &target_row, &texts.secret_row, &pick_label})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  box.pack_start(list);
  for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{&button_row, &texts.title_row, &texts.head_label,
                                                                 &texts.head_text})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  texts.pack_last(box);

  leaving[0] = source_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeAlbumDialog::leave_from));
  leaving[1] = target_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeAlbumDialog::leave_to));
  browse_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_from));
  invert_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_invert));
  update_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_update));
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
  // As large as the screen allows from the start: the thumbnails fill the
  // list's cells as they come and never move the buttons under the pointer.
  fit_dialog(*this, &list, Gtk::RESPONSE_OK, list.wanted_width(), 100000);
  // Enter in the folder or the name takes it, as leaving the field does.
  source_entry.set_activates_default(false);
  target_entry.set_activates_default(false);
  source_entry.signal_activate().connect([this] { leave_from(nullptr); });
  target_entry.signal_activate().connect([this] { leave_to(nullptr); });
  // The folder is listed once the dialog is on the screen, so that it shows
  // at once however many files the folder holds.
  signal_map_event().connect(
      [this](GdkEventAny*) {
        loop_mark("album dialog shown");
        if (!listed) Glib::signal_idle().connect_once([this] { rescan(); });
        return false;
      },
      false);
}

MakeAlbumDialog::~MakeAlbumDialog() {
  // The entries lose the focus while the window goes.
  for (sigc::connection& c : leaving) c.disconnect();
}

path_t MakeAlbumDialog::get_to() const { return path_t{"", book_dir, text_locale(target_entry.get_text())}; }

std::vector<files_t> MakeAlbumDialog::selected_files() const {
  std::vector<files_t> picked;
  libutils::report_log_t log = console_log();
  for (size_t i = 0; i < files.size(); ++i) {
    if (i >= list.items.size() || !list.items[i]) {
      if (unbuilt_selected) picked.push_back(files_t{files[i].name, 0});
      continue;
    }
    const item_t& item = *list.items[i];
    // The angle counts whether or not its check is still ticked.
    if (item.picture_button.get_active())
      picked.push_back(files_t{files[i].name, angle_code(item.angle.get_value_as_int(), files[i].name, log)});
  }
  return picked;
}

album_request_t MakeAlbumDialog::request() const {
  album_request_t r;
  r.source = source_dir;
  r.target = get_to();
  const texts_edit_t typed = const_cast<texts_panel_t&>(texts).read();
  r.title = typed.title;
  r.head = typed.head;
  r.last = typed.last;
  r.files = selected_files();
  r.secret = typed.secret;
  return r;
}

bool MakeAlbumDialog::leave_from(GdkEventFocus*) {
  // Leaving the entry unchanged keeps the picks.
  if (!listed || text_locale(source_entry.get_text()) != source_dir) rescan();
  return false;
}

void MakeAlbumDialog::rescan() {
  if (rescanning) return;
  rescanning = true;
  listed = true;
  source_dir = text_locale(source_entry.get_text());
  loop_mark("listing");
  const bool found = list_source(source_dir, files);
  // Every file starts picked.
  unbuilt_selected = true;
  list.fill(source_dir, files, prog_name);
  if (found) {
    std::string title, head, last;
    libutils::report_log_t log = console_log();
    loadcomment(source_dir, title, head, last, log);
    if (!title.empty()) texts.title_entry.set_text(text_utf8(title));
    if (!head.empty()) texts.head_text.set_text(head);
    if (!last.empty()) texts.last_text.set_text(last);
    return_to_window(*this);
  }
  rescanning = false;
}

MakeAlbumDialog::file_list_t::file_list_t(MakeAlbumDialog& dialog)
    : picture_grid_t(dialog, "buttons built", "thumbnails done"), dialog_(dialog) {
  // A row is as wide as the largest thumbnail the folder gives (a quarter
  // of the picture size, or an EXIF thumbnail's) or its turn's controls.
  Gtk::HBox turn;
  Gtk::CheckButton check(msg_utf8(vexalib::msg_rotate));
  Gtk::SpinButton angle;
  angle.set_adjustment(Gtk::Adjustment::create(270, 0, 270, 90, 90, 0));
  turn.pack_start(check, Gtk::PACK_SHRINK);
  turn.pack_start(angle, Gtk::PACK_SHRINK);
  const int thumbnail = static_cast<int>(std::max<std::uint64_t>(g_global.shrink_size.x / 4, placeholder_width));
  set_cell_width(std::max(natural_width({&turn}), thumbnail + button_frame));
}

void MakeAlbumDialog::file_list_t::fill(const std::string& dir, const std::vector<source_file_t>& files,
                                        const std::string& prog_name) {
  items.clear();
  items.resize(files.size());
  // The movie stills live until the loader's thread lets go of its jobs.
  auto temp = std::make_shared<temp_t>();
  // The loader's thread reads settings of its own.
  auto settings = std::make_shared<const global_t>(g_global);
  std::vector<thumbnail_loader_t::job_t> jobs;
  for (const source_file_t& file : files) {
    if (file.kind != source_kind_t::picture && file.kind != source_kind_t::movie) {
      jobs.emplace_back();
      continue;
    }
    jobs.emplace_back([dir, file, prog_name, temp, settings](thumbnail_loader_t::result_t& r) {
      libutils::report_log_t log = console_log();
      r.loaded = load_source_thumbnail(r.image, dir, file, *temp, prog_name, *settings, log);
    });
  }
  start(std::move(jobs), true);
}

std::vector<Gtk::Widget*> MakeAlbumDialog::file_list_t::build_row(size_t index) {
  items[index] = std::make_unique<item_t>();
  dialog_.make_item(index);
  return cells(index);
}

std::vector<Gtk::Widget*> MakeAlbumDialog::file_list_t::cells(size_t index) {
  item_t& item = *items[index];
  return {&item.picture_button, &item.name_label, &item.rotation_box};
}

void MakeAlbumDialog::make_item(size_t index) {
  item_t& item = *list.items[index];
  item.file = &files[index];
  const Glib::ustring name = text_utf8(item.file->name);
  item.name_label.set_text(name);
  item.name_label.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
  item.picture_button.get_accessible()->set_name(name);
  item.rotate_check.set_label(msg_utf8(vexalib::msg_rotate));
  item.rotate_check.set_sensitive(false);
  item.angle.set_adjustment(Gtk::Adjustment::create(0, 0, 270, 90, 90, 0));
  item.angle.set_digits(0);
  item.angle.set_numeric(true);
  item.angle.set_wrap(false);
  item.angle.set_snap_to_ticks(true);
  item.angle.set_update_policy(Gtk::UPDATE_IF_VALID);
  item.angle.set_sensitive(false);
  item.rotation_box.pack_start(item.rotate_check, Gtk::PACK_SHRINK);
  item.rotation_box.pack_start(item.angle, Gtk::PACK_SHRINK);
  // Shown once the picture's thumbnail is: a picture without one cannot be
  // turned here.
  item.rotation_box.set_no_show_all(true);
  // As the button's image (not a plain child), so that its picture is what
  // the button shows to accessibility tools too.
  item.picture_button.set_image(item.image);
  item.picture_button.set_always_show_image(true);
  // The button is as wide as its picture and as high as its line.
  item.picture_button.set_halign(Gtk::ALIGN_CENTER);
  if (item.file->kind == source_kind_t::sound) {
    item.picture_button.set_size_request(32, 32);
  } else if (item.file->kind == source_kind_t::picture || item.file->kind == source_kind_t::movie) {
    item.picture_button.set_size_request(placeholder_width, placeholder_height);
  }
  item.picture_button.signal_toggled().connect(sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_image), index));
  item.rotate_check.signal_toggled().connect(
      sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_is_rotate), index));
  item.angle.signal_value_changed().connect(sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_rotate), index));
  item.picture_button.set_active(unbuilt_selected);
  button_image(index);
}

void MakeAlbumDialog::file_list_t::show_picture(thumbnail_loader_t::result_t& result) {
  item_t& item = *items[result.index];
  item.picture_button.set_size_request(-1, -1);
  if (!result.loaded) return;
  item.thumbnail = std::move(result.image);
  item.has_thumbnail = true;
  if (item.file->kind == source_kind_t::picture) {
    item.rotation_box.set_no_show_all(false);
    item.rotation_box.show_all();
  }
  dialog_.button_rotate(result.index);
}

bool MakeAlbumDialog::leave_to(GdkEventFocus*) {
  const path_t target = get_to();
  if (!target.album.empty()) texts.take_from(target);
  return false;
}

void MakeAlbumDialog::button_from() {
  std::string folder = text_locale(source_entry.get_text());
  if (choose_folder(*this, folder)) {
    source_entry.set_text(text_utf8(folder));
    rescan();
  }
  return_to_window(*this);
}

void MakeAlbumDialog::button_invert() {
  unbuilt_selected = !unbuilt_selected;
  for (const auto& item : list.items)
    if (item) item->picture_button.set_active(!item->picture_button.get_active());
}

void MakeAlbumDialog::button_update() {
  listed = false;
  rescan();
  leave_to(nullptr);
}

void MakeAlbumDialog::button_image(size_t index) {
  item_t& item = *list.items[index];
  item.rotate_check.set_sensitive(item.picture_button.get_active());
  item.angle.set_value(0);
}

void MakeAlbumDialog::button_is_rotate(size_t index) {
  item_t& item = *list.items[index];
  item.angle.set_sensitive(item.rotate_check.get_active());
}

void MakeAlbumDialog::button_rotate(size_t index) {
  item_t& item = *list.items[index];
  libutils::report_log_t log = console_log();
  const std::uint64_t code = angle_code(item.angle.get_value_as_int(), item.file->name, log);
  if (!item.has_thumbnail) return;
  // The thumbnail as loaded stays; the button shows it turned.
  libgr::image2d_t turned;
  if (!libgr::rotate(code, turned, item.thumbnail)) {
    libutils::fail(log, item.file->name, ": no memory to turn its picture", 0, "rotate() fail.");
    return;
  }
  item.image.set(convert_to_pixbuf(turned));
}

}  // namespace pictora
