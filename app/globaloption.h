// The settings dialog: one widget per setting of g_global. The settings
// change, and the settings file is written, only when the user presses OK.
#pragma once

#include <gtkmm.h>

#include <string>
#include <vector>

#include "vexalib/message.h"

namespace pictora {

class GlobalOptionDialog : public Gtk::Dialog {
 public:
  // A modal dialog over parent, filled from g_global. OK writes the settings
  // file named after prog_name in settings_dir() (see saveini); prog_dir is
  // kept, but the file does not live beside the program on this platform.
  GlobalOptionDialog(Gtk::Window& parent, const char* prog_dir, const char* prog_name);

  // Every widget takes its setting's current value.
  void read_from_global();
  // Every setting takes its widget's value; the album base directory is
  // created when it does not exist.
  void write_to_global();
  // One line for each widget value that the program cannot use, naming the
  // row and saying why; empty when every value can be used.
  Glib::ustring unusable_settings();

  // The header text can be edited exactly while its check box is active.
  void button_html_header();
  // Folder choosers that replace the text of the source or album entry.
  void button_from_dir();
  void button_album_dir();

 protected:
  void on_response(int response_id) override;

 public:
  // The widgets, in the order of the dialog's rows; public so that tests can
  // drive them as a user would.
  Gtk::HBox from_box, album_box, shrink_box, numbers_box, header_box, address_box, pages_box, movie_box,
      vexaview_box;
  Gtk::Label from_label, album_label, shrink_label, compress_label, items_label, show_level_label,
      view_size_label, header_label, address_label, hwaccel_label, ffmpeg_label, movie_label,
      play_size_label, vexaview_label, page_style_label;
  Gtk::Entry from_entry, album_entry;
  Gtk::Button from_button, album_button;
  Gtk::SpinButton shrink_x_spin, shrink_y_spin, compress_spin, items_spin, show_level_spin,
      view_size_spin;
  Gtk::CheckButton header_check;
  Gtk::Entry header_entry, address_entry, hwaccel_entry, ffmpeg_entry, movie_entry;
  Gtk::ComboBoxText page_style_combo;  // the page_style words
  Gtk::CheckButton location_check;
  Gtk::SpinButton play_x_spin, play_y_spin;
  Gtk::CheckButton retina_check;
  Gtk::Entry vexaview_entry;

 private:
  // A setting as the widgets hold it: the text of its row, its key, and its
  // value written as a line of the settings file holds it.
  struct shown_setting_t {
    Glib::ustring row;
    const char* key;
    std::string value;
  };
  std::vector<shown_setting_t> shown_settings();
  // OK is refused while unusable_settings() finds anything: an error box
  // shows the lines, and the dialog stays open with nothing stored.
  void refuse_unusable(int response_id);
  void choose_folder(Gtk::Entry& entry, vexalib::e_message_t title_message);

  std::string prog_dir;
  std::string prog_name;
};

}  // namespace pictora
