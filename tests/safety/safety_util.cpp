#include "tests/safety/safety_util.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace safety {

namespace fs = std::filesystem;

user_t::user_t() { testutil::make_dirs(home / "cwd"); }

std::vector<std::string> user_t::environment() const {
  std::vector<std::string> env = {"HOME=" + home.path(), "USER=pictora-test-nobody", "LC_ALL=C",
                                  "XDG_CONFIG_HOME=" + home / "config"};
  if (!path_prefix.empty()) env.push_back("PATH=" + path_prefix + ":" + std::getenv("PATH"));
  return env;
}

result_t user_t::run(const std::vector<std::string>& args, const std::vector<std::string>& env) const {
  std::vector<std::string> argv = {"env", "-C", home / "cwd", testutil::cli_path()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> all = environment();
  all.insert(all.end(), env.begin(), env.end());
  result_t r;
  r.status = testutil::run_program(argv, &r.out, &r.err, all);
  return r;
}

bool user_t::run_killed_when(const std::vector<std::string>& args, const std::string& path) const {
  std::vector<std::string> argv = {testutil::cli_path()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargs;
  for (auto& a : argv) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  std::vector<std::string> env = environment();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);  // its ffmpeg runs die with it
    const int null_fd = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) ::dup2(null_fd, fd);
    for (auto& e : env) ::putenv(e.data());
    if (::chdir((home / "cwd").c_str()) == 0) ::execv(cargs[0], cargs.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (testutil::exists(path)) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return true;
    }
    ::usleep(200);
  }
  return false;
}

std::map<std::string, std::string> snapshot(const std::string& dir) {
  static const std::regex temporary(R"(\.tmp[0-9]+-)");
  static const std::regex stamp("<!-- hhmts start -->\n[^\n]*\n");
  std::map<std::string, std::string> entries;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = it->path().lexically_relative(dir).string();
    if (std::regex_search(relative, temporary)) continue;
    if (fs::is_directory(it->path())) {
      entries[relative] = "<dir>";
    } else {
      const std::string bytes = testutil::read_file(it->path());
      entries[relative] = it->path().extension() == ".html" ? std::regex_replace(bytes, stamp, "") : bytes;
    }
  }
  return entries;
}

std::string difference(const std::map<std::string, std::string>& expected,
                       const std::map<std::string, std::string>& actual) {
  std::string out;
  for (const auto& [name, bytes] : expected) {
    const auto it = actual.find(name);
    if (it == actual.end() || it->second != bytes) out += (it == actual.end() ? "missing " : "differs ") + name + "\n";
  }
  for (const auto& entry : actual)
    if (expected.count(entry.first) == 0) out += "extra " + entry.first + "\n";
  return out;
}

void write_script(const std::string& path, const std::string& body) {
  testutil::write_file(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

}  // namespace safety
