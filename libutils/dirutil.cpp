#include "libutils/dirutil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "libutils/futil.h"
#include "libutils/platform_posix.h"

namespace libutils {

namespace {

constexpr uint64_t copy_chunk = 1024 * 1024;

bool list(std::list<std::string>& out, const char* dir, bool want_dirs) {
  out.clear();
  std::vector<platform::dir_entry_t> entries;
  // An empty name lists the current directory, as the bare pattern did.
  if (!platform::list_directory(*dir != '\0' ? dir : ".", entries)) return false;
  for (platform::dir_entry_t& e : entries) {
    if (e.is_dir == want_dirs) out.push_back(std::move(e.name));
  }
  // std::string compares as unsigned bytes: "B.jpg" before "a.jpg".
  out.sort();
  return true;
}

// The base-62 digits of the temporary names.
constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr size_t temp_digits = 6;
constexpr uint64_t temp_step = 7777;
constexpr int temp_attempts = 32767;
// Only ever increased (wrapping), so names differ within one second too.
uint64_t s_value = 0;

// Whether name is one that create_temp_beside makes: NAME.tmpPID-N, and
// with with_suffix also NAME.tmpPID-N.EXT (EXT holding no dot); pid
// receives PID.
bool is_temp_name(const std::string& name, bool with_suffix, int& pid) {
  const auto digits_from = [&name](size_t i) {
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    return i;
  };
  for (size_t at = name.rfind(".tmp"); at != std::string::npos && at > 0;
       at = name.rfind(".tmp", at - 1)) {
    const size_t pid_end = digits_from(at + 4);
    if (pid_end == at + 4 || pid_end - at > 13 || pid_end == name.size() || name[pid_end] != '-')
      continue;
    const size_t end = digits_from(pid_end + 1);
    if (end == pid_end + 1) continue;
    const bool suffix = with_suffix && end < name.size() && name[end] == '.' &&
                        name.find('.', end + 1) == std::string::npos;
    if (end == name.size() || suffix) {
      pid = std::atoi(name.c_str() + at + 4);
      return true;
    }
  }
  return false;
}

}  // namespace

bool getdirs(std::list<std::string>& out, const char* dir) { return list(out, dir, true); }

bool getfiles(std::list<std::string>& out, const char* dir) { return list(out, dir, false); }

bool need_update(const std::string& source, const std::string& target) {
  platform::file_info_t src, dst;
  if (!platform::stat_file(source.c_str(), src)) return false;
  if (!platform::stat_file(target.c_str(), dst)) return true;
  // Whole seconds: a copy whose time was set to the second is current.
  return src.mtime.sec > dst.mtime.sec;
}

namespace {

// Reads up to n bytes, fewer only at the end of the file or on an error.
size_t read_full(int fd, char* buffer, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, buffer + got, n - got);
    if (r > 0) {
      got += static_cast<size_t>(r);
    } else if (r == 0 || errno != EINTR) {
      break;
    }
  }
  return got;
}

bool write_full(int fd, const char* buffer, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, buffer, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    buffer += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Copies size bytes from in to out: in the kernel while it can (no trip
// through this process's memory, and a shared copy on file systems that
// have them), else through a buffer. A failure is reported as a failed read
// of from or a failed write of to.
bool copy_bytes(int in, int out, uint64_t size, const char* from, const char* to, report_log_t& log) {
  uint64_t copied = 0;
  while (copied < size) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::min(copy_chunk, size - copied), 0);
    if (n <= 0) break;  // the buffer below finds out what is wrong, if anything
    copied += static_cast<uint64_t>(n);
  }
  std::unique_ptr<char[]> buffer;
  while (copied < size) {
    const uint64_t chunk = std::min(copy_chunk, size - copied);
    if (!buffer) buffer.reset(new char[copy_chunk]);
    errno = 0;
    if (read_full(in, buffer.get(), chunk) != chunk) {
      const int err = errno;
      return libutils::fail(log, from, err != 0 ? ": cannot be read" : ": ended before its size was read",
                            err, std::to_string(chunk) + ": ifs read failed.");
    }
    if (!write_full(out, buffer.get(), chunk))
      return libutils::fail(log, to, ": cannot be written", errno, "ofs failed.");
    copied += chunk;
  }
  return true;
}

}  // namespace

bool filecopy(const char* from, const char* to, report_log_t& log) {
  platform::file_info_t info;
  if (!platform::stat_file(from, info))
    return libutils::fail(log, from, ": cannot be read", errno, "stat(2) error.");
  // A pipe would block the copy until a writer came, a device could be read
  // for ever. (A directory opens and fails at its first read.)
  if (!info.is_regular && !info.is_dir)
    return libutils::fail(log, from, ": not a regular file, not copied");
  bool ok = false;
  {
    const int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return libutils::fail(log, from, ": cannot be read", errno);
    const int out = ::open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
      const int err = errno;
      ::close(in);
      return libutils::fail(log, to, ": cannot be written", err);
    }
    ok = copy_bytes(in, out, info.size, from, to, log);
    ::close(in);
    // A file system may report a failed write only when the file is closed.
    if (::close(out) != 0 && ok) ok = libutils::fail(log, to, ": cannot be written", errno, "ofs failed.");
  }
  return copydate(from, to, log) && ok;
}

bool copydate(const char* from, const char* to, report_log_t& log) {
  // A missing `from` is a failure here, not created empty: reading a time
  // should leave no file behind.
  platform::file_info_t info;
  if (!platform::stat_file(from, info))
    return libutils::fail(log, from, ": its time cannot be read", errno, "from createfile failed.");
  // A missing `to` is made empty and given the time, as on Windows.
  if (!platform::set_mtime(to, info.mtime))
    return libutils::fail(log, to, ": its time cannot be set", errno, "to createfile failed.");
  return true;
}

std::string create_temp_beside(const std::string& target, const std::string& suffix) {
  // The target's own name is cut where the whole would pass the name limit,
  // so that a target of any length gets a temporary file beside it.
  const size_t slash = target.rfind(native_separator);
  const size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  const std::string tag = ".tmp" + std::to_string(::getpid()) + "-";
  // O_EXCL keeps two writers of one target apart; later attempts only happen
  // while an earlier temporary file of the same target is still there.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string tail = tag + std::to_string(attempt) + suffix;
    const size_t room =
        platform::max_name_bytes > tail.size() ? platform::max_name_bytes - tail.size() : 0;
    const std::string name =
        target.substr(0, name_at + std::min(room, target.size() - name_at)) + tail;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return std::string();
}

size_t remove_stale_temps(const std::string& dir, bool with_suffix) {
  std::list<std::string> names;
  if (!getfiles(names, dir.c_str())) return 0;
  size_t removed = 0;
  for (const std::string& name : names) {
    int pid = 0;
    if (!is_temp_name(name, with_suffix, pid) || platform::process_running(pid)) continue;
    if (::unlink((dir + native_separator + name).c_str()) == 0) ++removed;
  }
  return removed;
}

char* mkdtemp(char* templ) {
  const int saved_errno = errno;
  const size_t len = std::strlen(templ);
  if (len < temp_digits || std::strcmp(templ + len - temp_digits, "XXXXXX") != 0) {
    errno = EINVAL;
    return nullptr;
  }
  s_value += static_cast<uint64_t>(static_cast<int64_t>(platform::process_id())) ^
             (static_cast<uint64_t>(static_cast<uint32_t>(TimeToSeed())) << 8);
  char* digits = templ + len - temp_digits;
  for (int attempt = 0; attempt < temp_attempts; ++attempt) {
    uint64_t v = s_value;
    for (size_t i = 0; i < temp_digits; ++i, v /= 62) digits[i] = letters[v % 62];
    if (platform::make_directory(templ)) {
      errno = saved_errno;
      return templ;
    }
    if (errno != EEXIST) return nullptr;
    s_value += temp_step;
  }
  errno = EEXIST;
  return nullptr;
}

bool is_temp_name(const std::string& name) {
  int pid = 0;
  return is_temp_name(name, false, pid);
}

bool read_text_file(const std::string& path, std::string& text, report_log_t& log) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && !S_ISREG(st.st_mode)) {
    warn(log, path, ": not a regular file, skipped.");
    ok = false;
  } else if (ok) {
    // Read to the end rather than to the size: a file that grows while it is
    // read is taken whole.
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) bytes.append(buffer, static_cast<size_t>(n));
    ok = n == 0;
    if (ok) text.swap(bytes);
  }
  ::close(fd);
  return ok;
}

int TimeToSeed() {
  // Unsigned arithmetic: a process id above 32767 shifted by 16 overflows int.
  return static_cast<int>(static_cast<uint32_t>(platform::current_time()) ^
                          (static_cast<uint32_t>(platform::process_id()) << 16));
}

bool dir_identity(const std::string& dir, dir_identity_t& out) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  char* real = ::realpath(dir.c_str(), nullptr);
  if (real == nullptr) return false;
  out.device = st.st_dev;
  out.inode = st.st_ino;
  out.real_path = real;
  std::free(real);
  return true;
}

}  // namespace libutils
