#include "libutils/platform_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace libutils {
namespace platform {

namespace {
void fill(file_info_t& info, const struct stat& st) {
  info.size = static_cast<uint64_t>(st.st_size);
  info.device = static_cast<uint64_t>(st.st_dev);
  info.inode = static_cast<uint64_t>(st.st_ino);
  info.mtime.sec = st.st_mtim.tv_sec;
  info.mtime.nsec = st.st_mtim.tv_nsec;
  info.is_dir = S_ISDIR(st.st_mode);
  info.is_regular = S_ISREG(st.st_mode);
}
}  // namespace

bool stat_file(const char* path, file_info_t& info) {
  struct stat st;
  if (::stat(path, &st) != 0) return false;
  fill(info, st);
  return true;
}

bool list_directory(const char* dir, std::vector<dir_entry_t>& out) {
  DIR* d = ::opendir(dir);
  if (d == nullptr) return false;
  const int fd = ::dirfd(d);
  while (const struct dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    // The entry's own type where the file system gives it; a link (which
    // counts as what it leads to) or an unknown type is asked of the system.
    bool is_dir = e->d_type == DT_DIR;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st;
      is_dir = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    out.push_back(dir_entry_t{e->d_name, is_dir});
  }
  ::closedir(d);
  return true;
}

bool set_mtime(const char* path, const file_time_t& t) {
  // Opened for writing, as on Windows: a missing file is made empty, and a
  // directory or a read-only file is refused.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(t.sec);
  times[1].tv_nsec = static_cast<long>(t.nsec);
  const bool ok = ::futimens(fd, times) == 0;
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

bool make_directory(const char* path) { return ::mkdir(path, 0777) == 0; }

int lock_directory(const char* dir) {
  const int fd = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  const int err = errno;
  ::close(fd);
  errno = err;
  return -1;
}

void unlock_directory(int handle) {
  if (handle >= 0) ::close(handle);  // closing the last handle lets the lock go
}

std::string current_directory() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) != nullptr ? std::string(buf) : std::string();
}

std::string executable_path() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

int process_id() { return static_cast<int>(::getpid()); }

bool process_running(int pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

int64_t current_time() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace platform
}  // namespace libutils
