// The settings record of the program, its one process-wide instance and the
// INI file that keeps it between runs.
#pragma once

#include <ostream>
#include <string>

#include "libutils/report.h"

namespace pictora {

// A box of width and height limits.
struct size_limit_t {
  unsigned long long x;  // width limit
  unsigned long long y;  // height limit
};

// Every field is named after its INI key.
struct global_t {
  global_t();

  std::string from;   // camera folder the album creation dialog picks from
  std::string album;  // base directory of all books and albums
  size_limit_t shrink_size;  // box that fixes the shrink level of a picture
  unsigned long long jpeg_compress;     // JPEG quality of every encoded file
  unsigned long long horizontal_items;  // picture cells per row in the dialogs
  unsigned long long show_level;        // offset to a smaller level for display
  unsigned long long view_size;         // "size" N handed to the viewer
  bool html_header_check;               // whether html_header is stored
  std::string html_header;              // head line of every generated page
  std::string html_address;             // address line at the end of every page
  std::string hwaccel;                  // ffmpeg options before the input
  std::string ffmpeg;                   // ffmpeg output options
  std::string movie;                    // command that plays a movie
  unsigned long long play_size_x;       // box that picks the movie level to play
  unsigned long long play_size_y;
  bool movie_thumbnail_retina;          // movie stills from the next larger level
  std::string vexaview;                 // command prefix of the picture viewer
  unsigned long long max_pixels;        // largest picture (width x height) decoded or turned
  std::string page_style;               // "classic" or "responsive": how the pages are written
  bool keep_location;                   // whether the web copies keep where a picture was taken
};

// The words the page_style setting takes: the designed pages, and pages
// for phones and today's browsers made from the same album data.
extern const char* const page_style_classic;
extern const char* const page_style_responsive;

// Built with the defaults before main runs; only the settings code and the
// settings dialog change it.
extern global_t g_global;

// The environment variable OSTYPE at start-up, null when it was not set.
extern const char* ostype;

// The charset name of the generated pages for a locale name: "shift_jis" and
// "euc-jp" for the Japanese locales that use them, otherwise "UTF-8".
std::string locale_charset(const std::string& locale_name);

// The settings directory of the user on this platform, ending with '/':
// $XDG_CONFIG_HOME/pictora/, else ~/.config/pictora/.
std::string settings_dir();

// dir + the stem of name + ".ini"; dir must end with its separator.
std::string inifile(const std::string& dir, const std::string& name);

// Overlays g_global with the file's settings; false, g_global unchanged, when
// the file cannot be opened. A line of an unknown name, or whose value cannot
// be used, is skipped with a warning on log naming the file and the line's
// number: its setting keeps the value it had. A file that is no text is not
// read, with one warning.
bool loadini(const std::string& dir, const std::string& name, libutils::report_log_t& log);

// Whether value, read as a line "key=value" of the INI file is read, can be
// used for the setting key; when not, why_not tells why in a few words
// ("must be at least 7", "holds a line break"), or is empty when key is not
// a setting's name. Refused are line breaks in texts, numbers that are
// missing, negative or larger than 4294967295, and numbers outside the
// setting's range (docs/cli.md lists them).
bool usable_setting(const std::string& key, const std::string& value, std::string& why_not);

// Stores one setting in g_global exactly as a line "key=value" of the INI
// file would; false, nothing changed, when key is not a setting's name. The
// value is to be one that usable_setting accepts.
bool setinivalue(const std::string& key, const std::string& value);

// Writes g_global to the file, replacing it; failures are not reported.
void saveini(const std::string& dir, const std::string& name);
// The same for a full path, telling whether the file was written.
bool writeinifile(const std::string& path);
// Writes every setting of g_global in file order, each line ended by eol.
void writeini(std::ostream& os, const char* eol = "\r\n");

// Writes "key=value" and eol, then flushes. Strings go out byte for byte,
// numbers in decimal, flags as 1 or 0.
template <typename T>
void writeiniline(std::ostream& os, const char* key, const T& value, const char* eol = "\r\n");

}  // namespace pictora
