#include "app/global.h"

#include <glob.h>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <type_traits>
#include <utility>
#include <variant>

#include "app/replacefile.h"
#include "libgr/pixel_limit.h"
#include "libutils/common.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string home_dir() {
  std::string home = env("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
  }
  return home;
}

// A mounted camera card shows up under the user's media directory; without
// one the user's picture folder is the likeliest source.
std::string default_from() {
  const std::string user = env("USER");
  if (!user.empty()) {
    for (const char* root : {"/media/", "/run/media/"}) {
      const std::string pattern = root + user + "/*/DCIM";
      glob_t found;
      const bool any = ::glob(pattern.c_str(), GLOB_ONLYDIR, nullptr, &found) == 0;
      std::string first = any ? found.gl_pathv[0] : "";
      ::globfree(&found);
      if (any) return first;
    }
  }
  return home_dir() + "/Pictures";
}

// The launcher of the viewer (see the external programs) never waits for it,
// so the command needs nothing like a "start /b" prefix to run in the
// background. The options are those the viewer was designed with; the
// pictora-view script ignores what it does not understand.
const char* const default_vexaview =
    "pictora-view"
    " -resizetype 2 -window_ratio_of_image 0.5 -image_ratio_of_window 1 -g +0+32";

// strtoul with base 0 where unsigned long has 32 bits: an out-of-range
// magnitude gives 0xFFFFFFFF, a minus sign negates modulo 2^32, and *stop is
// where the conversion ended (the start of s when there were no digits).
unsigned long long strtoul32(const char* s, const char** stop) {
  const char* p = s;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  unsigned base = 10;
  if (p[0] == '0') {
    const bool hex = (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2]));
    base = hex ? 16 : 8;
    if (hex) p += 2;
  }
  const char* digits = p;
  uint64_t value = 0;
  bool overflow = false;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    unsigned digit = base;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'z') digit = c - 'a' + 10u;
    else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10u;
    if (digit >= base) break;
    value = value * base + digit;
    overflow = overflow || value > UINT32_MAX;
    if (overflow) value = UINT32_MAX;  // keeps the product from wrapping
  }
  if (p == digits) {
    *stop = s;
    return 0;
  }
  *stop = p;
  if (overflow) return UINT32_MAX;
  return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(value)) : value;
}

unsigned long long tonumber(const std::string& text) {
  const char* stop;
  return strtoul32(text.c_str(), &stop);
}

// The settings in file order, with the field each is kept in. "shrink_size"
// is written as one text "width,height".
using text_field = std::string global_t::*;
using number_field = unsigned long long global_t::*;
using flag_field = bool global_t::*;
using size_field = size_limit_t global_t::*;

struct setting_t {
  const char* key;
  std::variant<text_field, number_field, flag_field, size_field> field;
};

const setting_t s_settings[] = {
    {"from", &global_t::from},
    {"album", &global_t::album},
    {"shrink_size", &global_t::shrink_size},
    {"jpeg_compress", &global_t::jpeg_compress},
    {"horizontal_items", &global_t::horizontal_items},
    {"show_level", &global_t::show_level},
    {"view_size", &global_t::view_size},
    {"html_header_check", &global_t::html_header_check},
    {"html_header", &global_t::html_header},
    {"html_address", &global_t::html_address},
    {"hwaccel", &global_t::hwaccel},
    {"ffmpeg", &global_t::ffmpeg},
    {"movie", &global_t::movie},
    {"play_size_x", &global_t::play_size_x},
    {"play_size_y", &global_t::play_size_y},
    {"movie_thumbnail_retina", &global_t::movie_thumbnail_retina},
    {"vexaview", &global_t::vexaview},
    {"max_pixels", &global_t::max_pixels},
};

template <typename... Fn>
struct overloaded : Fn... {
  using Fn::operator()...;
};
template <typename... Fn>
overloaded(Fn...) -> overloaded<Fn...>;

}  // namespace

std::string locale_charset(const std::string& locale_name) {
  if (locale_name == "ja_JP.SJIS" || locale_name == "ja_JP.shiftjis" || locale_name == "ja-JP")
    return "shift_jis";
  if (::strcasecmp(locale_name.c_str(), "ja_JP.eucJP") == 0) return "euc-jp";
  return "UTF-8";
}

// The constructor runs during static initialisation: it may only call code
// that needs no static object of another unit (get_locale_name asks the C
// library alone), and no other unit may read g_global from its own static
// initialisers.
global_t::global_t()
    : from(default_from()),
      album(home_dir() + "/book"),
      shrink_size{1024, 1024},
      jpeg_compress(100),
      horizontal_items(4),
      show_level(1),
      view_size(1),
      html_header_check(false),
      html_header("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                  locale_charset(vexalib::get_locale_name()) + "\">"),
      html_address("(C) <a href=\"mailto:someone@example.com\">Your Name</a>, All Rights Reserved."),
      ffmpeg("-c:v libx264 -crf 23"),
      movie("xdg-open"),
      play_size_x(3840),
      play_size_y(2160),
      movie_thumbnail_retina(true),
      vexaview(default_vexaview),
      max_pixels(libgr::default_pixel_limit) {}

const char* ostype = std::getenv("OSTYPE");
global_t g_global;

namespace {

// The codec takes its picture size limit from the settings in force.
const bool s_pixel_limit_from_settings =
    (libgr::pixel_limit = [] { return std::uint64_t{g_global.max_pixels}; }, true);

}  // namespace

std::string settings_dir() {
  const std::string config = env("XDG_CONFIG_HOME");
  return (config.empty() ? home_dir() + "/.config" : config) + "/pictora/";
}

std::string inifile(const std::string& dir, const std::string& name) {
  return dir + libutils::basename(name) + ".ini";
}

bool setinivalue(const std::string& key, const std::string& value) {
  if (key == "shrink_level") return true;  // an old setting, no longer used
  for (const setting_t& setting : s_settings) {
    if (key != setting.key) continue;
    std::visit(overloaded{
                   [&](text_field f) { g_global.*f = value; },
                   [&](number_field f) { g_global.*f = tonumber(value); },
                   [&](flag_field f) { g_global.*f = tonumber(value) != 0; },
                   [&](size_field f) {
                     // One character, whatever it is, separates the two
                     // limits. A value with one number only has nothing to
                     // skip; its height is then converted from nothing, 0.
                     const char* stop;
                     (g_global.*f).x = strtoul32(value.c_str(), &stop);
                     (g_global.*f).y = *stop ? tonumber(stop + 1) : 0;
                   },
               },
               setting.field);
    return true;
  }
  return false;
}

bool loadini(const std::string& dir, const std::string& name) {
  std::ifstream in(inifile(dir, name), std::ios::binary);
  if (!in.is_open()) return false;
  std::string line;
  while (std::getline(in, line)) {
    libutils::chop(line);
    std::pair<std::string, std::string> kv;
    if (!libutils::separate_first_token(kv, line, '=')) continue;
    if (!setinivalue(kv.first, kv.second)) {
      libutils::fail(std::cerr, "Unrecognized name: ", kv.first);
    }
  }
  return true;
}

template <typename T>
void writeiniline(std::ostream& os, const char* key, const T& value, const char* eol) {
  os << key << '=';
  if constexpr (std::is_same_v<T, bool>)
    os << (value ? '1' : '0');  // whatever the stream's boolalpha says
  else
    os << value;
  os << eol << std::flush;
}

template void writeiniline<std::string>(std::ostream&, const char*, const std::string&, const char*);
template void writeiniline<bool>(std::ostream&, const char*, const bool&, const char*);
template void writeiniline<unsigned long long>(std::ostream&, const char*, const unsigned long long&,
                                               const char*);

void writeini(std::ostream& os, const char* eol) {
  for (const setting_t& setting : s_settings) {
    const char* key = setting.key;
    std::visit(overloaded{
                   [&](text_field f) {
                     // Without the check the header is not kept, so the
                     // locale's default applies again at the next start.
                     if (f == &global_t::html_header && !g_global.html_header_check) return;
                     writeiniline(os, key, g_global.*f, eol);
                   },
                   [&](number_field f) { writeiniline(os, key, g_global.*f, eol); },
                   [&](flag_field f) { writeiniline(os, key, g_global.*f, eol); },
                   [&](size_field f) {
                     const size_limit_t& size = g_global.*f;
                     writeiniline(os, key, std::to_string(size.x) + "," + std::to_string(size.y), eol);
                   },
               },
               setting.field);
  }
}

bool writeinifile(const std::string& path) {
  replacefile_t file(path);
  if (!file.is_open()) return false;
  writeini(file.stream());
  return file.commit();
}

void saveini(const std::string& dir, const std::string& name) { writeinifile(inifile(dir, name)); }

}  // namespace pictora
