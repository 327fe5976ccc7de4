#include "app/global.h"

#include <glob.h>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <type_traits>
#include <utility>
#include <variant>

#include "app/replacefile.h"
#include "libgr/pixel_limit.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora {

const char* const page_style_classic = "classic";
const char* const page_style_responsive = "responsive";

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

// The most a number setting can hold: strtoul's unsigned long of 32 bits.
constexpr unsigned long long number_limit = UINT32_MAX;

// strtoul with base 0 where unsigned long has 32 bits, for text without a
// minus sign: an out-of-range magnitude gives 0xFFFFFFFF and sets *overflow
// when given, and *stop is where the conversion ended (the start of s when
// there were no digits).
unsigned long long strtoul32(const char* s, const char** stop, bool* overflow = nullptr) {
  const char* p = s;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p == '+') ++p;
  unsigned base = 10;
  if (p[0] == '0') {
    const bool hex = (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2]));
    base = hex ? 16 : 8;
    if (hex) p += 2;
  }
  const char* digits = p;
  uint64_t value = 0;
  bool over = false;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    unsigned digit = base;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'z') digit = c - 'a' + 10u;
    else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10u;
    if (digit >= base) break;
    value = value * base + digit;
    over = over || value > number_limit;
    if (over) value = number_limit;  // keeps the product from wrapping
  }
  *stop = p == digits ? s : p;
  if (overflow) *overflow = over;
  return p == digits ? 0 : value;
}

// Why the number at the start of s cannot be stored for a setting whose
// values run from least to most: "" when it can. *stop is where it ends.
std::string number_problem(const char* s, const char** stop, unsigned long long least,
                           unsigned long long most) {
  bool overflow = false;
  const unsigned long long n = strtoul32(s, stop, &overflow);
  const char* sign = s;
  while (std::isspace(static_cast<unsigned char>(*sign))) ++sign;
  // strtoul would turn "-1" into 4294967295.
  if (*sign == '-') return "is negative";
  if (*stop == s) return "is not a number";
  if (overflow) return "is larger than " + std::to_string(number_limit);
  if (n >= least && n <= most) return "";
  if (most == number_limit) return "must be at least " + std::to_string(least);
  return "must be from " + std::to_string(least) + " to " + std::to_string(most);
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

// The values a build can use: numbers from least to most (both sides of a
// size box alike); texts hold no line break, which would end their line of
// the settings file and begin another.
struct setting_t {
  const char* key;
  std::variant<text_field, number_field, flag_field, size_field> field;
  unsigned long long least = 0;
  unsigned long long most = number_limit;
  const char* const* words = nullptr;  // a text setting's only values, null-ended; null for any text
};

const char* const s_page_styles[] = {page_style_classic, page_style_responsive, nullptr};

// The smallest shrink box side: the thumbnail is the picture that fits the
// box halved twice more, and a side that had to be halved to fit is more
// than half the box, so a box side of 7 leaves it at least one pixel (a
// box of 6 would turn a 7-pixel side into 3, 1 and then nothing).
constexpr unsigned long long least_shrink_side = 7;
// Movie levels keep even sides and end at 2 pixels; a play box smaller than
// that fits no level.
constexpr unsigned long long least_play_side = 2;

const setting_t s_settings[] = {
    {"from", &global_t::from},
    {"album", &global_t::album},
    {"shrink_size", &global_t::shrink_size, least_shrink_side},
    // libjpeg takes a quality of 0 as 1.
    {"jpeg_compress", &global_t::jpeg_compress, 0, 100},
    {"horizontal_items", &global_t::horizontal_items, 1},
    {"show_level", &global_t::show_level},
    {"view_size", &global_t::view_size},
    {"html_header_check", &global_t::html_header_check},
    {"html_header", &global_t::html_header},
    {"html_address", &global_t::html_address},
    {"hwaccel", &global_t::hwaccel},
    {"ffmpeg", &global_t::ffmpeg},
    {"movie", &global_t::movie},
    {"play_size_x", &global_t::play_size_x, least_play_side},
    {"play_size_y", &global_t::play_size_y, least_play_side},
    {"movie_thumbnail_retina", &global_t::movie_thumbnail_retina},
    {"vexaview", &global_t::vexaview},
    {"max_pixels", &global_t::max_pixels, 1},
    {"page_style", &global_t::page_style, 0, number_limit, s_page_styles},
    {"keep_location", &global_t::keep_location},
};

const setting_t* find_setting(const std::string& key) {
  for (const setting_t& setting : s_settings) {
    if (key == setting.key) return &setting;
  }
  return nullptr;
}

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
      max_pixels(libgr::default_pixel_limit),
      page_style(page_style_classic),
      // Publishing an album must not publish where each picture was taken,
      // often the photographer's home.
      keep_location(false) {}

const char* ostype = std::getenv("OSTYPE");
global_t g_global;

std::string settings_dir() {
  const std::string config = env("XDG_CONFIG_HOME");
  return (config.empty() ? home_dir() + "/.config" : config) + "/pictora/";
}

std::string inifile(const std::string& dir, const std::string& name) {
  return dir + libutils::basename(name) + ".ini";
}

bool usable_setting(const std::string& key, const std::string& value, std::string& why_not) {
  why_not.clear();
  if (key == "shrink_level") return true;  // an old setting, no longer used
  const setting_t* setting = find_setting(key);
  if (setting == nullptr) return false;
  const char* stop;
  std::visit(overloaded{
                 [&](text_field) {
                   if (value.find_first_of("\r\n") != std::string::npos) why_not = "holds a line break";
                   if (setting->words == nullptr) return;
                   std::string listed;
                   for (const char* const* word = setting->words; *word != nullptr; ++word) {
                     if (value == *word) return;
                     listed += std::string(listed.empty() ? "" : " or ") + *word;
                   }
                   why_not = "must be " + listed;
                 },
                 [&](number_field) { why_not = number_problem(value.c_str(), &stop, setting->least, setting->most); },
                 [&](flag_field) { why_not = number_problem(value.c_str(), &stop, 0, number_limit); },
                 [&](size_field) {
                   why_not = number_problem(value.c_str(), &stop, setting->least, setting->most);
                   if (!why_not.empty()) {
                     why_not = "width " + why_not;
                   } else if (*stop == '\0') {
                     why_not = "needs a width and a height";
                   } else {
                     why_not = number_problem(stop + 1, &stop, setting->least, setting->most);
                     if (!why_not.empty()) why_not = "height " + why_not;
                   }
                 },
             },
             setting->field);
  return why_not.empty();
}

bool setinivalue(const std::string& key, const std::string& value) {
  if (key == "shrink_level") return true;  // an old setting, no longer used
  const setting_t* setting = find_setting(key);
  if (setting == nullptr) return false;
  std::visit(overloaded{
                 [&](text_field f) { g_global.*f = value; },
                 [&](number_field f) { g_global.*f = tonumber(value); },
                 [&](flag_field f) { g_global.*f = tonumber(value) != 0; },
                 [&](size_field f) {
                   // One character, whatever it is, separates the two
                   // limits.
                   const char* stop;
                   (g_global.*f).x = strtoul32(value.c_str(), &stop);
                   (g_global.*f).y = *stop ? tonumber(stop + 1) : 0;
                 },
             },
             setting->field);
  return true;
}

bool loadini(const std::string& dir, const std::string& name, libutils::report_log_t& log) {
  const std::string file = inifile(dir, name);
  std::string text;
  if (!libutils::read_text_file(file, text, log)) return false;
  // A file of other bytes (a picture saved under the name, say) would give a
  // line of garbage for each of its lines: it is said once, and the settings
  // keep their values.
  if (text.find('\0') != std::string::npos) {
    libutils::warn(log, file, ": not a settings file (it holds bytes that are no text); not read.");
    return true;
  }
  std::istringstream in(text);
  std::string line;
  for (unsigned long long number = 1; std::getline(in, line); ++number) {
    libutils::chop(line);
    std::pair<std::string, std::string> kv;
    if (!libutils::separate_first_token(kv, line, '=')) continue;
    std::string why_not;
    if (usable_setting(kv.first, kv.second, why_not)) {
      setinivalue(kv.first, kv.second);
    } else if (why_not.empty()) {
      libutils::warn(log, "Unrecognized name: ", kv.first);
    } else {
      // The setting keeps the value it had, the default at start-up.
      libutils::warn(log, file + ":" + std::to_string(number), ": " + kv.first + ": " + why_not + ", line skipped.");
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
