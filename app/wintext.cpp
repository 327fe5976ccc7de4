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
    // Damaged text: keep what every locale encodes alike.
    std::string ascii = text;
    for (char& c : ascii) {
      if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    return Glib::locale_to_utf8(ascii);
  }
}

std::string text_locale(const Glib::ustring& text) {
  try {
    return Glib::locale_from_utf8(text);
  } catch (const Glib::ConvertError&) {
    return Glib::convert_with_fallback(text, locale_charset(), "UTF-8", "?");
  }
}

Glib::ustring msg_utf8(uint32_t n) { return text_utf8(vexalib::getmsg(vexalib::msg(n))); }

}  // namespace pictora
