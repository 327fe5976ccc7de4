// The operating-system calls under the file and path functions, kept in one
// small layer so that the units above it stay free of POSIX headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace libutils {
namespace platform {

// Separates the directories of the PATH variable.
constexpr char path_list_separator = ':';
// The current directory as a directory prefix.
constexpr const char* current_dir_prefix = "./";

struct file_time_t {
  int64_t sec = 0;
  int64_t nsec = 0;
};

struct file_info_t {
  uint64_t size = 0;
  uint64_t device = 0;  // with inode, the file itself, whatever path leads to it
  uint64_t inode = 0;
  file_time_t mtime;
  bool is_dir = false;
  bool is_regular = false;  // a plain file: no directory, pipe, socket or device
};

// The longest name of one directory entry the system takes, in bytes.
constexpr size_t max_name_bytes = 255;

struct dir_entry_t {
  std::string name;
  bool is_dir = false;
};

// stat(2), following links. False when path cannot be examined.
bool stat_file(const char* path, file_info_t& info);
// Every entry of dir but "." and "..", hidden ones included, in the order the
// system gives them; is_dir is what stat says (a link to a directory is one,
// a dangling link is not). False when dir cannot be opened.
bool list_directory(const char* dir, std::vector<dir_entry_t>& out);
// Sets the modification time of path, creating it empty when it is missing;
// the access time is left alone. False with errno set on failure.
bool set_mtime(const char* path, const file_time_t& t);
// mkdir(2) with mode 0777 less the umask; false with errno set on failure.
bool make_directory(const char* path);
// Opens the directory dir and takes the exclusive lock on it without
// waiting; the handle, or -1 with errno set (EWOULDBLOCK: another open
// handle holds it, in this process or another). The lock goes with the
// handle, also when the process dies.
int lock_directory(const char* dir);
void unlock_directory(int handle);
// The current directory; empty when it cannot be read.
std::string current_directory();
// The full path of the running program's file; empty when it cannot be read.
std::string executable_path();
int process_id();
// Whether the process pid still runs (also when it is not ours to signal).
bool process_running(int pid);
int64_t current_time();

}  // namespace platform
}  // namespace libutils
