#include "app/html_text.h"

#include <cstdio>

namespace pictora {

namespace {

bool unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

void append_hex(std::string& out, char lead, unsigned char c) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%c%02X", lead, c);
  out += hex;
}

}  // namespace

std::string html_text(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string url_path(const std::string& path, url_context_t context) {
  std::string out;
  out.reserve(path.size());
  for (const char ch : path) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (unreserved(c) || c == '/' || (c == ' ' && context == url_context_t::link))
      out += ch;
    else
      append_hex(out, '%', c);
  }
  return out;
}

std::string entry_id(const std::string& name) {
  // '_' is the escape, so it is escaped itself: two names never share an id.
  std::string id = "f-";
  for (const char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (unreserved(c) && c != '_' && c != '~')
      id += ch;
    else
      append_hex(id, '_', c);
  }
  return id;
}

}  // namespace pictora
