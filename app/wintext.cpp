#include "app/wintext.h"

#include <glibmm/convert.h>
#include <gtkmm.h>

#include <iostream>

#include "app/widgets.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

std::string locale_charset() {
  std::string charset;
  Glib::get_charset(charset);
  return charset;
}

int message_box(Gtk::Window& parent, const std::string& title, const std::string& text, Gtk::MessageType type,
                Gtk::ButtonsType buttons) {
  Gtk::MessageDialog box(parent, text_utf8(text), false, type, buttons, true);
  box.set_title(text_utf8(title));
  // Read out by its title, not by its kind ("Warning").
  box.get_accessible()->set_name(text_utf8(title));
  return box.run();
}

}  // namespace

libutils::report_log_t console_log() {
  return libutils::report_log_t([](const libutils::report_t& r) {
    if (r.kind == libutils::report_t::command || r.kind == libutils::report_t::command_err) return;
    std::cerr << r.lines() << std::flush;
  });
}

Glib::ustring text_utf8(const std::string& text) {
  try {
    return Glib::locale_to_utf8(text);
  } catch (const Glib::ConvertError&) {
    // Damaged text (a hand-edited file): replacement characters where it is
    // broken, the rest kept.
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    const Glib::ustring shown(valid);
    g_free(valid);
    return shown;
  }
}

std::string text_locale(const Glib::ustring& text) {
  try {
    return Glib::locale_from_utf8(text);
  } catch (const Glib::ConvertError&) {
    return Glib::convert_with_fallback(text, locale_charset(), "UTF-8", "?");
  }
}

Glib::ustring msg_utf8(vexalib::e_message_t n) { return text_utf8(vexalib::getmsg(n)); }

std::string view_text(Gtk::TextView& view) { return text_locale(view.get_buffer()->get_text()); }

void error_box(Gtk::Window& parent, const std::string& text) {
  message_box(parent, vexalib::getmsg(vexalib::msg_error), text, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_OK);
}

bool ask(Gtk::Window& parent, const std::string& text) {
  return message_box(parent, vexalib::getmsg(vexalib::msg_program), text, Gtk::MESSAGE_QUESTION,
                     Gtk::BUTTONS_YES_NO) == Gtk::RESPONSE_YES;
}

bool confirm(Gtk::Window& parent, const std::string& title, const std::string& text) {
  return message_box(parent, title, text, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_OK_CANCEL) == Gtk::RESPONSE_OK;
}

bool choose_folder(Gtk::Window& parent, std::string& folder) {
  Gtk::FileChooserDialog chooser(parent, msg_utf8(vexalib::msg_source_folder), Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER);
  chooser.set_modal(true);
  keep_within_screen(chooser);
  // File names are the locale's bytes.
  chooser.set_current_folder(folder);
  chooser.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  chooser.add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  if (chooser.run() != Gtk::RESPONSE_OK) return false;
  folder = chooser.get_filename();
  return true;
}

}  // namespace pictora
