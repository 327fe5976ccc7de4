#include "app/globaloption.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <tuple>

#include "app/global.h"
#include "app/widgets.h"
#include "app/wintext.h"
#include "libutils/common.h"

namespace pictora {

namespace {

unsigned long long spin_value(Gtk::SpinButton& spin) {
  spin.update();  // takes a number still being typed
  return static_cast<unsigned long long>(spin.get_value());
}

// Creates path and its missing parents; a failure is reported.
void make_folder(const std::string& path) {
  if (Glib::file_test(path, Glib::FILE_TEST_IS_DIR)) return;
  if (g_mkdir_with_parents(path.c_str(), 0777) == 0) return;
  const int err = errno;
  libutils::report_log_t log = console_log();
  libutils::fail(log, path, ": cannot create the folder", err);
}

void setup_spin(Gtk::SpinButton& spin, double lower, double upper, double page, int width_chars) {
  spin.set_range(lower, upper);
  spin.set_increments(1, page);
  spin.set_digits(0);
  if (width_chars > 0) spin.set_width_chars(width_chars);
}

// A long entry: 100 characters wide where the screen has room, narrower
// (down to 20) where it has not.
void fit_entry(Gtk::Entry& entry, int chars = 100) {
  entry.set_width_chars(std::min(chars, 8));
  entry.set_max_width_chars(chars);
}

// A row label of message n, width_chars characters wide (-1: as the text).
void setup_label(Gtk::Label& label, vexalib::e_message_t n, int width_chars) {
  label.set_text(msg_utf8(n));
  label.set_width_chars(width_chars);
  label.set_xalign(0);
}

}  // namespace

GlobalOptionDialog::GlobalOptionDialog(Gtk::Window& parent, const char* prog_dir, const char* prog_name)
    : prog_dir(prog_dir), prog_name(prog_name) {
  set_title(msg_utf8(vexalib::msg_settings));
  set_transient_for(parent);
  set_modal(true);

  const Gtk::PackOptions shrink = Gtk::PACK_SHRINK;
  const Gtk::PackOptions expand = Gtk::PACK_EXPAND_WIDGET;

  for (auto [box, label, entry, button, message] :
       {std::make_tuple(&from_box, &from_label, &from_entry, &from_button,
                        vexalib::msg_source_folder),
        std::make_tuple(&album_box, &album_label, &album_entry, &album_button,
                        vexalib::msg_album_folder)}) {
    setup_label(*label, message, 20);
    fit_entry(*entry);
    button->set_label(msg_utf8(vexalib::msg_browse));
    box->pack_start(*label, shrink);
    box->pack_start(*entry, expand);
    box->pack_start(*button, shrink);
  }

  setup_label(shrink_label, vexalib::msg_picture_size, 20);
  setup_spin(shrink_x_spin, 0, 32768, 128, -1);
  setup_spin(shrink_y_spin, 0, 32768, 128, -1);
  shrink_box.pack_start(shrink_label, shrink);
  shrink_box.pack_start(shrink_x_spin, shrink);
  shrink_box.pack_start(shrink_y_spin, shrink);

  setup_label(compress_label, vexalib::msg_jpeg_quality, 20);
  setup_spin(compress_spin, 0, 100, 10, 3);
  setup_label(items_label, vexalib::msg_items_per_row, 20);
  setup_spin(items_spin, 1, 100, 10, 2);
  setup_label(show_level_label, vexalib::msg_show_level, 20);
  setup_spin(show_level_spin, 0, 100, 10, 2);
  setup_label(view_size_label, vexalib::msg_view_size, 20);
  setup_spin(view_size_spin, 0, 100, 10, 2);
  for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{
           &compress_label, &compress_spin, &items_label, &items_spin, &show_level_label, &show_level_spin,
           &view_size_label, &view_size_spin})
    numbers_box.pack_start(*widget, shrink);

  setup_label(header_label, vexalib::msg_html_header, 20);
  header_check.set_label(msg_utf8(vexalib::msg_keep_header));
  fit_entry(header_entry);
  header_box.pack_start(header_label, shrink);
  header_box.pack_start(header_check, shrink);
  header_box.pack_start(header_entry, expand);

  setup_label(address_label, vexalib::msg_html_address, 20);
  fit_entry(address_entry);
  address_box.pack_start(address_label, shrink);
  address_box.pack_start(address_entry, expand);

  // The pages: their style, and whether the pictures keep where they were
  // taken.
  setup_label(page_style_label, vexalib::msg_page_style, 20);
  for (const char* style : {page_style_classic, page_style_responsive}) page_style_combo.append(style, style);
  location_check.set_label(msg_utf8(vexalib::msg_keep_location));
  pages_box.pack_start(page_style_label, shrink);
  pages_box.pack_start(page_style_combo, shrink);
  pages_box.pack_start(location_check, shrink);

  setup_label(hwaccel_label, vexalib::msg_hwaccel, 20);
  setup_label(ffmpeg_label, vexalib::msg_ffmpeg, -1);
  fit_entry(ffmpeg_entry, 20);
  setup_label(movie_label, vexalib::msg_movie_player, 10);
  fit_entry(movie_entry, 50);
  fit_entry(hwaccel_entry, 10);
  setup_label(play_size_label, vexalib::msg_play_size, 10);
  setup_spin(play_x_spin, 1, 9999, 10, 4);
  setup_spin(play_y_spin, 1, 9999, 10, 4);
  retina_check.set_label(msg_utf8(vexalib::msg_retina_movies));
  movie_box.pack_start(hwaccel_label, shrink);
  movie_box.pack_start(hwaccel_entry, expand);
  movie_box.pack_start(ffmpeg_label, shrink);
  movie_box.pack_start(ffmpeg_entry, expand);
  movie_box.pack_start(movie_label, shrink);
  movie_box.pack_start(movie_entry, expand);
  movie_box.pack_start(play_size_label, shrink);
  movie_box.pack_start(play_x_spin, shrink);
  movie_box.pack_start(play_y_spin, shrink);
  movie_box.pack_start(retina_check, shrink);

  setup_label(vexaview_label, vexalib::msg_picture_viewer, 20);
  vexaview_box.pack_start(vexaview_label, shrink);
  vexaview_box.pack_start(vexaview_entry, expand);

  Gtk::Box* content = get_content_area();
  for (Gtk::HBox* row : {&from_box, &album_box, &shrink_box, &numbers_box, &header_box, &address_box,
                         &pages_box, &movie_box, &vexaview_box})
    content->pack_start(*row, shrink);

  from_button.signal_clicked().connect(sigc::mem_fun(*this, &GlobalOptionDialog::button_from_dir));
  album_button.signal_clicked().connect(sigc::mem_fun(*this, &GlobalOptionDialog::button_album_dir));
  header_check.signal_toggled().connect(sigc::mem_fun(*this, &GlobalOptionDialog::button_html_header));

  read_from_global();
  // Before the handler that run() connects and before on_response.
  signal_response().connect(sigc::mem_fun(*this, &GlobalOptionDialog::refuse_unusable), false);

  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  show_all_children();
  fit_dialog(*this, nullptr, Gtk::RESPONSE_OK);
}

void GlobalOptionDialog::read_from_global() {
  from_entry.set_text(text_utf8(g_global.from));
  album_entry.set_text(text_utf8(g_global.album));
  shrink_x_spin.set_value(static_cast<double>(g_global.shrink_size.x));
  shrink_y_spin.set_value(static_cast<double>(g_global.shrink_size.y));
  compress_spin.set_value(static_cast<double>(g_global.jpeg_compress));
  items_spin.set_value(static_cast<double>(g_global.horizontal_items));
  show_level_spin.set_value(static_cast<double>(g_global.show_level));
  view_size_spin.set_value(static_cast<double>(g_global.view_size));
  header_check.set_active(g_global.html_header_check);
  header_entry.set_text(text_utf8(g_global.html_header));
  address_entry.set_text(text_utf8(g_global.html_address));
  hwaccel_entry.set_text(text_utf8(g_global.hwaccel));
  ffmpeg_entry.set_text(text_utf8(g_global.ffmpeg));
  movie_entry.set_text(text_utf8(g_global.movie));
  play_x_spin.set_value(static_cast<double>(g_global.play_size_x));
  play_y_spin.set_value(static_cast<double>(g_global.play_size_y));
  retina_check.set_active(g_global.movie_thumbnail_retina);
  vexaview_entry.set_text(text_utf8(g_global.vexaview));
  page_style_combo.set_active_id(g_global.page_style);
  location_check.set_active(g_global.keep_location);
  // set_active emits "toggled" only when the state changes.
  button_html_header();
}

std::vector<GlobalOptionDialog::shown_setting_t> GlobalOptionDialog::shown_settings() {
  const auto number = [](Gtk::SpinButton& spin) { return std::to_string(spin_value(spin)); };
  const auto flag = [](const Gtk::CheckButton& check) { return std::string(check.get_active() ? "1" : "0"); };
  return {
      {from_label.get_text(), "from", text_locale(from_entry.get_text())},
      {album_label.get_text(), "album", text_locale(album_entry.get_text())},
      {shrink_label.get_text(), "shrink_size", number(shrink_x_spin) + "," + number(shrink_y_spin)},
      {compress_label.get_text(), "jpeg_compress", number(compress_spin)},
      {items_label.get_text(), "horizontal_items", number(items_spin)},
      {show_level_label.get_text(), "show_level", number(show_level_spin)},
      {view_size_label.get_text(), "view_size", number(view_size_spin)},
      {header_check.get_label(), "html_header_check", flag(header_check)},
      {header_label.get_text(), "html_header", text_locale(header_entry.get_text())},
      {address_label.get_text(), "html_address", text_locale(address_entry.get_text())},
      {hwaccel_label.get_text(), "hwaccel", text_locale(hwaccel_entry.get_text())},
      {ffmpeg_label.get_text(), "ffmpeg", text_locale(ffmpeg_entry.get_text())},
      {movie_label.get_text(), "movie", text_locale(movie_entry.get_text())},
      {play_size_label.get_text(), "play_size_x", number(play_x_spin)},
      {play_size_label.get_text(), "play_size_y", number(play_y_spin)},
      {retina_check.get_label(), "movie_thumbnail_retina", flag(retina_check)},
      {vexaview_label.get_text(), "vexaview", text_locale(vexaview_entry.get_text())},
      {page_style_label.get_text(), "page_style", page_style_combo.get_active_id()},
      {location_check.get_label(), "keep_location", flag(location_check)},
  };
}

void GlobalOptionDialog::write_to_global() {
  // Through the settings file's own reading, as a line of the file would.
  for (const shown_setting_t& setting : shown_settings()) setinivalue(setting.key, setting.value);
  make_folder(g_global.album);
}

Glib::ustring GlobalOptionDialog::unusable_settings() {
  Glib::ustring lines;
  for (const shown_setting_t& setting : shown_settings()) {
    std::string why_not;
    if (usable_setting(setting.key, setting.value, why_not)) continue;
    if (!lines.empty()) lines += "\n";
    lines += setting.row + " (" + setting.key + "): " + why_not;
  }
  return lines;
}

void GlobalOptionDialog::refuse_unusable(int response_id) {
  if (response_id != Gtk::RESPONSE_OK) return;
  const Glib::ustring lines = unusable_settings();
  if (lines.empty()) return;
  Gtk::MessageDialog box(*this, lines, false, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_OK, true);
  box.set_title(msg_utf8(vexalib::msg_error));
  box.run();
  // Neither the handler of run() nor on_response sees this OK, so the
  // dialog keeps running and nothing is stored.
  g_signal_stop_emission_by_name(gobj(), "response");
}

void GlobalOptionDialog::button_html_header() {
  const bool active = header_check.get_active();
  header_entry.set_editable(active);
  header_entry.set_can_focus(active);
}

void GlobalOptionDialog::button_from_dir() {
  choose_folder(from_entry, vexalib::msg_source_folder);
}

void GlobalOptionDialog::button_album_dir() {
  choose_folder(album_entry, vexalib::msg_album_folder);
}

void GlobalOptionDialog::choose_folder(Gtk::Entry& entry, vexalib::e_message_t title_message) {
  Gtk::FileChooserDialog chooser(*this, msg_utf8(title_message),
                                 Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER);
  chooser.set_modal(true);
  keep_within_screen(chooser);
  // File names are the locale's bytes, as the settings hold them.
  chooser.set_current_folder(text_locale(entry.get_text()));
  chooser.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  chooser.add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  if (chooser.run() == Gtk::RESPONSE_OK) entry.set_text(text_utf8(chooser.get_filename()));
}

void GlobalOptionDialog::on_response(int response_id) {
  Gtk::Dialog::on_response(response_id);
  if (response_id != Gtk::RESPONSE_OK) return;
  write_to_global();
  // The settings file lives in the user's configuration folder on this
  // platform, not beside the program, so prog_dir does not name its folder;
  // prog_name gives the file its name.
  const std::string dir = settings_dir();
  make_folder(dir);
  saveini(dir, prog_name);
}

}  // namespace pictora
