#include "tests/support/test_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testutil {

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "pictora-test-XXXXXX").string();
  if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void make_dirs(const std::string& path) { std::filesystem::create_directories(path); }

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string wait_for_file(const std::string& path) {
  for (int i = 0; i < 6000; ++i) {
    if (exists(path)) return read_file(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "(never written)";
}

std::string samples_dir() {
  const std::string dir = PICTORA_SAMPLES_DIR;
  return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::string cli_path() { return std::string(PICTORA_BINARY_DIR) + "/cli/pictora-cli"; }

namespace {
std::string drain(int fd) {
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  ::close(fd);
  return text;
}
}  // namespace

namespace {

// Forks and runs argv[0] with standard input from /dev/null and the given
// descriptors as standard output and error.
pid_t start_program(const std::vector<std::string>& argv, const std::vector<std::string>& env, int out_fd,
                    int err_fd) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    for (const auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  return pid;
}

}  // namespace

bool run_program_killed_after(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                              unsigned milliseconds) {
  const int null_fd = ::open("/dev/null", O_WRONLY);
  const pid_t pid = start_program(argv, env, null_fd, null_fd);
  ::close(null_fd);
  int status = 0;
  for (unsigned waited = 0; waited < milliseconds; ++waited) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return false;
    ::usleep(1000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status);
}

int run_program(const std::vector<std::string>& argv, std::string* out, std::string* err,
                const std::vector<std::string>& env) {
  // Output goes to files rather than pipes so a chatty child never blocks.
  char out_name[] = "/tmp/pictora-out-XXXXXX";
  char err_name[] = "/tmp/pictora-err-XXXXXX";
  const int out_fd = ::mkstemp(out_name);
  const int err_fd = ::mkstemp(err_name);
  const pid_t pid = start_program(argv, env, out_fd, err_fd);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::lseek(out_fd, 0, SEEK_SET);
  ::lseek(err_fd, 0, SEEK_SET);
  const std::string out_text = drain(out_fd);
  const std::string err_text = drain(err_fd);
  ::unlink(out_name);
  ::unlink(err_name);
  if (out) *out = out_text;
  if (err) *err = err_text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace testutil
