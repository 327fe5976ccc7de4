// The message catalogue: every window text and the fixed words of generated
// pages come from a catalogue file chosen by the user's locale; the program
// holds only message numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libutils/report.h"

namespace vexalib {

// A message number: line N of the catalogue, counted from 0. The program
// names every number it uses by the text's role (docs/messages.md lists
// them all with their texts).
enum e_message_t : uint32_t {
  msg_program = 0,              // main window title, first part
  msg_books_and_albums = 1,     // main window title, second part
  msg_view = 2,                 // item button of a book row
  msg_new_book = 3,             // make-book button; book creation dialog title
  msg_new_album = 4,            // make-album button; album creation dialog title
  msg_selection = 5,            // collection dialogs' title; collections' default title
  msg_browser = 6,              // browser button
  msg_settings = 7,             // settings button and dialog title
  msg_edit = 8,                 // edit button
  msg_close = 11,               // close button
  msg_book_folder = 12,         // book creation dialog: folder label
  msg_source_folder = 13,       // source folder label and chooser title
  msg_album_folder = 14,        // album folder label and chooser title
  msg_pick_files = 15,          // album creation dialog: label above the files
  msg_invert = 16,              // album creation dialog: invert button
  msg_rescan = 17,              // album creation dialog: rescan button
  msg_browse = 18,              // browse buttons
  msg_from = 19,                // album creation dialog: source row label
  msg_album = 20,               // album creation dialog: album name label
  msg_title = 21,               // title label; book page title column
  msg_comment = 22,             // book page comment column
  msg_head_comment = 23,        // head comment label
  msg_closing_comment = 24,     // closing comment label
  msg_error = 25,               // title of every error box
  msg_no_title = 26,            // error: the title is empty
  msg_no_source = 27,           // error: no source folder
  msg_no_album_name = 28,       // error: no album name
  msg_build_failed = 29,        // error: building the album or the book page failed
  msg_comments_not_saved = 30,  // error: the comments could not be saved
  msg_picture_size = 31,        // settings: shrink_size
  msg_jpeg_quality = 32,        // settings: jpeg_compress
  msg_items_per_row = 33,       // settings: horizontal_items
  msg_html_header = 34,         // settings: html_header
  msg_html_address = 35,        // settings: html_address
  msg_metering_average = 36,    // EXIF caption: centre-weighted metering
  msg_metering_spot = 37,       // EXIF caption: spot metering
  msg_pictures = 38,            // item button of album rows; book page thumbnail column and links
  msg_name = 39,                // book page directory column
  msg_no_picture = 40,          // error: no picture selected
  msg_album_exists = 41,        // question: the album folder exists, continue?
  msg_viewer = 42,              // viewer button of album rows
  msg_remove = 44,              // remove button; removal confirmation and refusal
  msg_update_all = 45,          // update-all button; heading of its report
  msg_count = 46,               // book page count column
  msg_show_level = 47,          // settings: show_level
  msg_view_size = 48,           // settings: view_size
  msg_secret = 49,              // secret check box
  msg_best = 50,                // best flag; classification note
  msg_apply = 51,               // apply flag; classification note
  msg_submit = 52,              // submit flag; classification note
  msg_print = 53,               // print flag; classification note
  msg_upload = 54,              // upload flag; classification note
  msg_good = 55,                // good mark
  msg_normal = 56,              // normal mark (neither good nor fail)
  msg_fail = 57,                // fail mark; fail note of pictures
  msg_rotate = 58,              // rotate check box
  msg_hwaccel = 59,             // settings: hwaccel
  msg_ffmpeg = 60,              // settings: ffmpeg
  msg_movie_player = 61,        // settings: movie
  msg_play_size = 62,           // settings: play_size_x, play_size_y
  msg_keep_header = 63,         // settings: html_header_check
  msg_picture_viewer = 64,      // settings: vexaview
  msg_retina_movies = 65,       // settings: movie_thumbnail_retina
  msg_page_style = 66,          // settings: page_style
  msg_keep_location = 67,       // settings: keep_location
  msg_stopped = 68,             // a build stopped by the user, and how to finish it
};

// The catalogue file as read, its line breaks overwritten with NULs, and one
// pointer per message into it. Both live until the process ends.
extern std::vector<char> s_msgbuf;
extern std::vector<const char*> s_tablebuf;

// Loads the catalogue once at start-up; returns the path loaded, or "" when
// none could be loaded (reported on log). dirpath is a prefix ending with its
// separator, or "".
std::string init_message(const char* dirpath, const char* name, libutils::report_log_t& log);
// The text of message id; "message not loaded." past the loaded messages.
const char* getmsg(e_message_t id);
// a + " - " + b
std::string make_title(const char* a, const char* b);
void make_title2(std::string& out, const char* a, const char* b);
// The locale name in force for messages (e.g. "ja_JP.UTF-8"); "" for C/POSIX.
std::string get_locale_name();
// Reads the whole file into buf; false when it cannot be read.
bool load_message(std::vector<char>& buf, const char* path, libutils::report_log_t& log);

}  // namespace vexalib
