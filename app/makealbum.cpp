#include "app/makealbum.h"

#include <algorithm>
#include <chrono>
#include <iostream>
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

using clock_type = std::chrono::steady_clock;

// No callback of the dialog holds the main loop longer than this; what is
// left goes on in the next round of the loop.
constexpr std::chrono::milliseconds slice_budget(20);

// The place of a button before its thumbnail comes: the size of an EXIF
// thumbnail, the commonest one.
constexpr int placeholder_width = 160, placeholder_height = 120;

}  // namespace

MakeAlbumDialog::MakeAlbumDialog(Gtk::Window& parent, const std::string& from, const std::string& book_dir,
                                 const std::string& prog_name)
    : Gtk::Dialog(msg_utf8(vexalib::msg_new_album), parent, true),
      prog_name(prog_name),
      book_dir(book_dir),
      source_row(vexalib::msg_from),
      target_row(vexalib::msg_album),
      secret_row(false, 6),
      secret_label(msg_utf8(vexalib::msg_secret)),
      browse_button(msg_utf8(vexalib::msg_browse)),
      pick_label(msg_utf8(vexalib::msg_pick_files), 0, 0.5),
      table(1, 1, false),
      button_row(false, 6),
      invert_button(msg_utf8(vexalib::msg_invert)),
      update_button(msg_utf8(vexalib::msg_rescan)),
      title_row(vexalib::msg_title),
      head_label(msg_utf8(vexalib::msg_head_comment), 0, 0.5),
      last_label(msg_utf8(vexalib::msg_closing_comment), 0, 0.5) {
  source_entry.set_width_chars(50);
  target_entry.set_width_chars(50);
  title_entry.set_width_chars(50);
  source_entry.set_text(text_utf8(from));
  target_entry.set_text(default_album_name(std::time(nullptr)));
  source_row.pack_start(source_entry);
  source_row.pack_start(browse_button, Gtk::PACK_SHRINK);
  target_row.pack_start(target_entry);
  // A new album of a secret book starts secret.
  secret_check.set_active(is_secret(path_t{"", book_dir, ""}));
  secret_row.pack_start(secret_label, Gtk::PACK_SHRINK);
  secret_row.pack_start(secret_check, Gtk::PACK_SHRINK);
  table.set_col_spacings(4);
  scrolled.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
  scrolled.add(table);
  button_row.pack_start(invert_button, Gtk::PACK_SHRINK);
  button_row.pack_start(update_button, Gtk::PACK_SHRINK);
  title_row.pack_start(title_entry);

  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  for (Gtk::Widget* widget :
       std::initializer_list<Gtk::Widget*>{&source_row, &target_row, &secret_row, &pick_label})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  box.pack_start(scrolled);
  for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{&button_row, &title_row, &head_label})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
  box.pack_start(head_text, Gtk::PACK_SHRINK);
  box.pack_start(last_label, Gtk::PACK_SHRINK);
  box.pack_start(last_text, Gtk::PACK_SHRINK);

  leaving[0] = source_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeAlbumDialog::leave_from));
  leaving[1] = target_entry.signal_focus_out_event().connect(sigc::mem_fun(*this, &MakeAlbumDialog::leave_to));
  browse_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_from));
  invert_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_invert));
  update_button.signal_clicked().connect(sigc::mem_fun(*this, &MakeAlbumDialog::button_update));
  table.signal_size_allocate().connect(sigc::mem_fun(*this, &MakeAlbumDialog::table_size_allocate));
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
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
  slicer.disconnect();
  loader.reset();
}

path_t MakeAlbumDialog::get_to() const { return path_t{"", book_dir, text_locale(target_entry.get_text())}; }

std::vector<files_t> MakeAlbumDialog::selected_files() const {
  std::vector<files_t> picked;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i >= items.size()) {
      if (unbuilt_selected) picked.push_back(files_t{files[i].name, 0});
      continue;
    }
    const item_t& item = *items[i];
    // The angle counts whether or not its check is still ticked.
    if (item.picture_button.get_active())
      picked.push_back(files_t{files[i].name, angle_code(item.angle.get_value_as_int(), files[i].name, std::cerr)});
  }
  return picked;
}

album_request_t MakeAlbumDialog::request() const {
  album_request_t r;
  r.source = source_dir;
  r.target = get_to();
  r.title = text_locale(title_entry.get_text());
  r.head = const_cast<comment_box_t&>(head_text).text();
  r.last = const_cast<comment_box_t&>(last_text).text();
  r.files = selected_files();
  r.secret = secret_check.get_active();
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
  stop_loading();
  slicer.disconnect();
  loader.reset();
  items.clear();
  table.resize(1, 1);
  listed = true;
  source_dir = text_locale(source_entry.get_text());
  thumbs.clear();
  early.clear();
  loop_mark("listing");
  if (list_source(source_dir, files)) {
    thumbs.assign(files.size(), thumb_t::none);
    early.resize(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i].kind == source_kind_t::picture || files[i].kind == source_kind_t::movie) thumbs[i] = thumb_t::coming;
    }
    std::string title, head, last;
    loadcomment(source_dir, title, head, last);
    if (!title.empty()) title_entry.set_text(text_utf8(title));
    if (!head.empty()) head_text.set_text(head);
    if (!last.empty()) last_text.set_text(last);
    // Every file starts picked.
    unbuilt_selected = false;
    button_invert();
    // The movie stills live until the loader's thread lets go of its jobs.
    auto temp = std::make_shared<temp_t>();
    std::vector<thumbnail_loader_t::job_t> jobs;
    for (const source_file_t& file : files) {
      if (file.kind != source_kind_t::picture && file.kind != source_kind_t::movie) {
        jobs.emplace_back();
        continue;
      }
      jobs.emplace_back([dir = source_dir, file, prog_name = prog_name, temp](thumbnail_loader_t::result_t& r) {
        r.loaded = load_source_thumbnail(r.image, dir, file, *temp, prog_name);
      });
    }
    loader = std::make_unique<thumbnail_loader_t>(
        std::move(jobs), [this](thumbnail_loader_t::result_t& r) { deliver(r.index, r.image, r.loaded); },
        [] { loop_mark("thumbnails done"); });
    std::vector<size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    loader->want(std::move(order));
    slicer = Glib::signal_idle().connect(sigc::mem_fun(*this, &MakeAlbumDialog::build_slice));
    return_to_window(*this);
  }
  rescanning = false;
}

bool MakeAlbumDialog::loading() const { return !listed || items.size() < files.size() || (loader && !loader->finished()); }

void MakeAlbumDialog::stop_loading() {
  if (!loader) return;
  loader->stop();
  while (!loader->ended()) {
    if (Gtk::Main::iteration(true)) std::exit(0);
  }
}

size_t MakeAlbumDialog::columns() const { return std::max<size_t>(1, g_global.horizontal_items); }

bool MakeAlbumDialog::build_slice() {
  const clock_type::time_point start = clock_type::now();
  while (items.size() < files.size()) {
    build_item(items.size());
    if (clock_type::now() - start > slice_budget) return true;
  }
  loop_mark("buttons built");
  return false;
}

void MakeAlbumDialog::build_item(size_t index) {
  items.push_back(std::make_unique<item_t>());
  item_t& item = *items.back();
  item.file = &files[index];
  const Glib::ustring name = text_utf8(item.file->name);
  item.name_label.set_text(name);
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
  // As the button's image (not a plain child), so that its picture is what
  // the button shows to accessibility tools too.
  item.picture_button.set_image(item.image);
  item.picture_button.set_always_show_image(true);
  if (item.file->kind == source_kind_t::sound) {
    item.picture_button.set_size_request(32, 32);
  } else if (thumbs[index] == thumb_t::coming) {
    item.picture_button.set_size_request(placeholder_width, placeholder_height);
  }

  const size_t n = columns();
  const int column = static_cast<int>(index % n), row = static_cast<int>(3 * (index / n));
  const Gtk::AttachOptions grow = Gtk::EXPAND | Gtk::FILL;
  if (table.property_n_columns() < static_cast<guint>(std::min(n, files.size())))
    table.resize(table.property_n_rows(), static_cast<guint>(std::min(n, files.size())));
  table.attach(item.picture_button, column, column + 1, row, row + 1, grow, grow);
  table.attach(item.name_label, column, column + 1, row + 1, row + 2, grow, grow);
  item.picture_button.signal_toggled().connect(sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_image), index));
  item.rotate_check.signal_toggled().connect(
      sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_is_rotate), index));
  item.angle.signal_value_changed().connect(sigc::bind(sigc::mem_fun(*this, &MakeAlbumDialog::button_rotate), index));
  item.picture_button.set_active(unbuilt_selected);
  button_image(index);
  item.picture_button.show_all();
  item.name_label.show();
  if (thumbs[index] == thumb_t::shown) show_thumbnail(index);
}

void MakeAlbumDialog::deliver(size_t index, libgr::image2d_t& image, bool loaded) {
  // Files without a thumbnail to make (sounds, others) keep their button.
  if (index >= thumbs.size() || thumbs[index] != thumb_t::coming) return;
  thumbs[index] = loaded ? thumb_t::shown : thumb_t::none;
  if (index >= items.size()) {
    // Its button comes later and shows it then.
    early[index] = std::move(image);
    return;
  }
  items[index]->thumbnail = std::move(image);
  if (loaded) {
    show_thumbnail(index);
  } else {
    items[index]->picture_button.set_size_request(-1, -1);
  }
}

void MakeAlbumDialog::show_thumbnail(size_t index) {
  item_t& item = *items[index];
  if (early[index].width != 0) item.thumbnail = std::move(early[index]);
  early[index] = libgr::image2d_t();
  item.picture_button.set_size_request(-1, -1);
  if (item.file->kind == source_kind_t::picture && item.rotation_box.get_parent() == nullptr) {
    const size_t n = columns();
    const int column = static_cast<int>(index % n), row = static_cast<int>(3 * (index / n));
    table.attach(item.rotation_box, column, column + 1, row + 2, row + 3, Gtk::EXPAND | Gtk::FILL,
                 Gtk::EXPAND | Gtk::FILL);
    item.rotation_box.show_all();
  }
  button_rotate(index);
}

bool MakeAlbumDialog::leave_to(GdkEventFocus*) {
  const path_t target = get_to();
  if (!target.album.empty()) show_texts(target, title_entry, head_text, last_text, secret_check);
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
  for (const auto& item : items) item->picture_button.set_active(!item->picture_button.get_active());
}

void MakeAlbumDialog::button_update() {
  listed = false;
  rescan();
  leave_to(nullptr);
}

void MakeAlbumDialog::button_image(size_t index) {
  item_t& item = *items[index];
  item.rotate_check.set_sensitive(item.picture_button.get_active());
  item.angle.set_value(0);
}

void MakeAlbumDialog::button_is_rotate(size_t index) {
  item_t& item = *items[index];
  item.angle.set_sensitive(item.rotate_check.get_active());
}

void MakeAlbumDialog::button_rotate(size_t index) {
  item_t& item = *items[index];
  const std::uint64_t code = angle_code(item.angle.get_value_as_int(), item.file->name, std::cerr);
  if (thumbs[index] != thumb_t::shown) return;
  // The thumbnail as loaded stays; the button shows it turned.
  libgr::image2d_t turned;
  if (!libgr::rotate(code, turned, item.thumbnail)) {
    std::cerr << item.file->name << ": rotate() fail." << std::endl;
    return;
  }
  item.image.set(convert_to_pixbuf(turned));
}

void MakeAlbumDialog::table_size_allocate(Gdk::Rectangle& rect) {
  // The list is as wide as its rows (it never scrolls sideways) and grows
  // with them up to 480 pixels of height.
  if (rect.get_height() > 0) scrolled.set_size_request(-1, std::min(rect.get_height(), 480));
}

}  // namespace pictora
