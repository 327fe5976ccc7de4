// The message catalogue: every window text and the fixed words of generated
// pages come from a catalogue file chosen by the user's locale; the program
// holds only message numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexalib {

// A message number: line N of the catalogue, counted from 0.
enum e_message_t : uint32_t {};

inline e_message_t msg(uint32_t n) { return static_cast<e_message_t>(n); }

// The catalogue file as read, its line breaks overwritten with NULs, and one
// pointer per message into it. Both live until the process ends.
extern std::vector<char> s_msgbuf;
extern std::vector<const char*> s_tablebuf;

// Loads the catalogue once at start-up; returns the path loaded, or "" when
// none could be loaded. dirpath is a prefix ending with its separator, or "".
std::string init_message(const char* dirpath, const char* name);
// The text of message id; "message not loaded." past the loaded messages.
const char* getmsg(e_message_t id);
// a + " - " + b
std::string make_title(const char* a, const char* b);
void make_title2(std::string& out, const char* a, const char* b);
// The locale name in force for messages (e.g. "ja_JP.UTF-8"); "" for C/POSIX.
std::string get_locale_name();
// Reads the whole file into buf; false when it cannot be read.
bool load_message(std::vector<char>& buf, const char* path);

}  // namespace vexalib
