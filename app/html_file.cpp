#include "app/html_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string_view>
#include <utility>

#include "app/replacefile.h"
#include "libutils/report.h"

namespace pictora {

namespace {

// The foot's generation time stands between these two lines.
constexpr std::string_view s_stamp_start = "<!-- hhmts start -->\n";
constexpr std::string_view s_stamp_end = "<!-- hhmts end -->\n";

// text split around the generation time of its foot (the last one it
// holds); all of it before, none after, when it has none.
std::pair<std::string_view, std::string_view> around_stamp(std::string_view text) {
  const size_t start = text.rfind(s_stamp_start);
  const size_t end = start == std::string_view::npos ? start : text.find(s_stamp_end, start);
  if (end == std::string_view::npos) return {text, {}};
  return {text.substr(0, start), text.substr(end)};
}

}  // namespace

bool same_on_disk(const std::string& path, const std::string& text) {
  // A link or anything else that is not a plain file is replaced as before.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  std::string old;
  bool read_all = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (read_all) {
    old.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < old.size()) {
      const ssize_t n = ::read(fd, &old[got], old.size() - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    read_all = got == old.size();
  }
  ::close(fd);
  return read_all && around_stamp(old) == around_stamp(text);
}

bool write_generated_file(const std::string& path, libutils::report_log_t& log,
                          const std::function<bool(std::ostream&)>& body) {
  std::ostringstream text;
  if (!body(text) || !text)
    return libutils::fail(log, path, ": not written, its contents could not all be made; the old file is kept.");
  if (same_on_disk(path, text.str())) return true;
  replacefile_t file(path);
  if (!file.is_open()) return libutils::fail(log, path, ": cannot be created", errno);
  file.stream() << text.str();
  if (!file.commit()) return libutils::fail(log, path, ": cannot be written", errno);
  return true;
}

void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds) {
  if (movies != 0) os << movies;
  os << '+' << pictures;
  if (sounds != 0) os << '+' << sounds;
  os << '\n';
}

}  // namespace pictora
