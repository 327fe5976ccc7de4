// File-system work: directory listings, rebuild decisions, copies with their
// times, and unique temporary directories.
#pragma once

#include <list>
#include <string>

namespace libutils {

// Names of the sub-directories of dir (hidden ones included, "." and ".."
// not), ascending byte order. False, with out empty, when dir can't be listed.
bool getdirs(std::list<std::string>& out, const char* dir);
// As getdirs, for the entries that are not directories.
bool getfiles(std::list<std::string>& out, const char* dir);
// Whether target must be rebuilt from source: false when source is missing,
// true when target is missing or its modification second is earlier.
bool need_update(const std::string& source, const std::string& target);
// Copies a whole file in 16 MiB chunks, then its modification time.
bool filecopy(const char* from, const char* to);
// Sets to's modification time to from's.
bool copydate(const char* from, const char* to);
// Replaces the trailing "XXXXXX" of templ and creates that directory; returns
// templ, or null with errno set.
char* mkdtemp(char* templ);
// Creates an empty file beside target that no other writer uses, named
// target + ".tmp" + process id + "-" + the first free number from 0 + suffix,
// and returns its name; "" (errno set) when none can be made. Writers fill it
// and rename it over target, so readers never see a partial file. Unless
// suffix gives it one, a file left behind by a killed process ends in no
// picture, movie or sound extension, so no stage takes it for its input.
std::string create_temp_beside(const std::string& target, const std::string& suffix = "");
// Current time in seconds XOR (process id << 16).
int TimeToSeed();

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
