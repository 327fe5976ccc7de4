// Texts for widgets: the catalogue and the files are in the locale's
// encoding, GTK wants UTF-8. Also the message boxes and the folder chooser
// that the dialogs share, since what they show is text.
#pragma once

#include <glibmm/ustring.h>

#include <string>

#include "libutils/report.h"
#include "vexalib/message.h"

namespace Gtk {
class TextView;
class Window;
}  // namespace Gtk

namespace pictora {

// text converted from the locale's encoding to UTF-8; bytes that are not
// text there show as replacement characters instead of ending the program.
Glib::ustring text_utf8(const std::string& text);
// The reverse, for what the user typed; characters the locale cannot hold
// become '?'.
std::string text_locale(const Glib::ustring& text);
// Message n of the catalogue, converted to UTF-8.
Glib::ustring msg_utf8(vexalib::e_message_t n);
// What a text view holds, in the locale's encoding.
std::string view_text(Gtk::TextView& view);

// A log for what the windows read without a box to show it in (a list
// that cannot be read while a dialog opens, say): each report goes to
// standard error as the command line prints it.
libutils::report_log_t console_log();

// A modal error box over parent titled message 25 ("Error") with one OK
// button, showing text (in the locale's encoding).
void error_box(Gtk::Window& parent, const std::string& text);
// A modal question with Yes and No; true for Yes.
bool ask(Gtk::Window& parent, const std::string& text);
// A modal warning with OK and Cancel, titled title; true for OK.
bool confirm(Gtk::Window& parent, const std::string& title, const std::string& text);
// A folder chooser over parent titled message 13 that starts in folder; on
// OK folder becomes the chosen one and the result is true.
bool choose_folder(Gtk::Window& parent, std::string& folder);

}  // namespace pictora
