#include "app/wintext.h"

#include <glibmm/convert.h>

#include "vexalib/message.h"

namespace pictora {

namespace {

std::string locale_charset() {
  std::string charset;
  Glib::get_charset(charset);
  return charset;
}

}  // namespace

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

}  // namespace pictora
