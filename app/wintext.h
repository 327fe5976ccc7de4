// Texts for widgets: the catalogue and the files are in the locale's
// encoding, GTK wants UTF-8.
#pragma once

#include <glibmm/ustring.h>

#include <string>

#include "vexalib/message.h"

namespace pictora {

// text converted from the locale's encoding to UTF-8; bytes that are not
// text there show as replacement characters instead of ending the program.
Glib::ustring text_utf8(const std::string& text);
// The reverse, for what the user typed; characters the locale cannot hold
// become '?'.
std::string text_locale(const Glib::ustring& text);
// Message n of the catalogue, converted to UTF-8.
Glib::ustring msg_utf8(vexalib::e_message_t n);

}  // namespace pictora
