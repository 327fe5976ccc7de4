// File-system work: directory listings, rebuild decisions, copies with their
// times, and unique temporary directories.
#pragma once

#include <cstddef>
#include <list>
#include <string>

#include "libutils/report.h"

namespace libutils {

// Names of the sub-directories of dir (hidden ones included, "." and ".."
// not), ascending byte order. False, with out empty, when dir can't be listed.
bool getdirs(std::list<std::string>& out, const char* dir);
// As getdirs, for the entries that are not directories.
bool getfiles(std::list<std::string>& out, const char* dir);
// Whether target must be rebuilt from source: false when source is missing,
// true when target is missing or its modification second is earlier.
bool need_update(const std::string& source, const std::string& target);
// Copies a whole file (in the kernel where it can), then its modification
// time. A pipe or a device is refused. A failure is reported on log naming
// the file read or written, with the system's reason.
bool filecopy(const char* from, const char* to, report_log_t& log);
// Sets to's modification time to from's; failures are reported on log.
bool copydate(const char* from, const char* to, report_log_t& log);
// Replaces the trailing "XXXXXX" of templ and creates that directory; returns
// templ, or null with errno set.
char* mkdtemp(char* templ);
// Creates an empty file beside target that no other writer uses, named
// target + ".tmp" + process id + "-" + the first free number from 0 + suffix,
// and returns its name; "" (errno set) when none can be made. The target's
// name is cut short where the whole would be longer than a name may be.
// Writers fill it and rename it over target, so readers never see a partial
// file. Unless suffix gives it one, a file left behind by a killed process
// ends in no picture, movie or sound extension, so no stage takes it for its
// input.
std::string create_temp_beside(const std::string& target, const std::string& suffix = "");
// Deletes the files in dir named as create_temp_beside names them
// ("...tmpPID-N", and with with_suffix also "...tmpPID-N.EXT") whose process
// PID no longer runs: what a killed run left. Returns how many went.
size_t remove_stale_temps(const std::string& dir, bool with_suffix);
// Whether name is one that create_temp_beside makes without a suffix
// ("...tmpPID-N"), which remove_stale_temps takes for a killed run's
// leftover once process PID has ended.
bool is_temp_name(const std::string& name);
// Current time in seconds XOR (process id << 16).
int TimeToSeed();

// Reads the whole of path into text when it is a regular file. It is opened
// without waiting and looked at before anything is read, so that a pipe or
// a device never holds the reader up: anything but a regular file is
// skipped, with the warning "PATH: not a regular file, skipped." on log.
// False, text untouched, when path is missing, cannot be opened or read, or
// is skipped. Every text file the program reads goes through here.
bool read_text_file(const std::string& path, std::string& text, report_log_t& log);

// Where a directory really is, whatever name reaches it: its device and
// inode numbers, and its absolute path with every link resolved.
struct dir_identity_t {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  std::string real_path;
};
// False when dir cannot be reached or is no directory.
bool dir_identity(const std::string& dir, dir_identity_t& out);

}  // namespace libutils
