// A user of pictora-cli in a scratch home (HOME, settings in home/config,
// working directory home/cwd), and a look at what the runs left on disk.
// Shared by the safety and settings suites, so everything is inline here.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace safety {

using words_t = std::vector<std::string>;

struct result_t {
  int status = -1;
  std::string out, err;
};

struct user_t {
  user_t() { testutil::make_dirs(home / "cwd"); }
  std::string operator/(const std::string& relative) const { return home / relative; }

  words_t environment(const words_t& more = {}) const {
    words_t env = {"HOME=" + home.path(), "USER=pictora-test-nobody", "LC_ALL=C", "XDG_CONFIG_HOME=" + home / "config"};
    if (!path_prefix.empty()) env.push_back("PATH=" + path_prefix + ":" + std::getenv("PATH"));
    env.insert(env.end(), more.begin(), more.end());  // set last, so they win
    return env;
  }
  // program (pictora-cli unless given) with args in home/cwd; env entries
  // ("NAME=value") are added to the user's.
  result_t run(const words_t& args, const words_t& env = {}, const std::string& program = testutil::cli_path()) const {
    words_t argv = {"env", "-C", home / "cwd", program};
    argv.insert(argv.end(), args.begin(), args.end());
    result_t r;
    r.status = testutil::run_program(argv, &r.out, &r.err, environment(env));
    return r;
  }
  // Starts pictora-cli with args and kills it alone (SIGKILL) as soon as
  // `path` exists ("PID" in it stands for its process id) and, with `busy`,
  // a program it started runs too. What it started is then given a few
  // seconds to end with it before it is killed as well.
  enum killed_t { ended_first, killed, killed_but_its_programs_ran_on };
  killed_t run_killed_when(words_t args, std::string path, bool busy = false) const {
    args.insert(args.begin(), testutil::cli_path());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    words_t env = environment();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setpgid(0, 0);
      // At the lowest priority, so that this watcher runs as soon as it
      // wakes: the moment to kill at may last only a few milliseconds (the
      // pages of an update that asks ffmpeg nothing).
      ::setpriority(PRIO_PROCESS, 0, 19);
      for (auto& e : env) ::putenv(e.data());
      if (::chdir((home / "cwd").c_str()) == 0 && std::freopen("/dev/null", "w", stdout) &&
          std::freopen("/dev/null", "w", stderr))
        ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::setpgid(pid, pid);
    for (size_t at; (at = path.find("PID")) != std::string::npos;) path.replace(at, 3, std::to_string(pid));
    // The programs the threads of the program run (each in a process group
    // of its own).
    const auto children = [pid] {
      std::vector<pid_t> out;
      std::error_code gone;
      for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", gone)) {
        std::istringstream ids(testutil::read_file(task.path() / "children"));
        for (pid_t child; ids >> child;) out.push_back(child);
      }
      return out;
    };
    for (int status; ::waitpid(pid, &status, WNOHANG) == 0; ::usleep(200)) {
      if (!testutil::exists(path)) continue;
      const std::vector<pid_t> started = children();
      if (busy && started.empty()) continue;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      const auto runs_on = [&] {
        for (const pid_t child : started)
          if (group_runs(child)) return true;
        return group_runs(pid);
      };
      bool ran_on = true;
      for (int tries = 0; tries < 500 && (ran_on = runs_on()); ++tries) ::usleep(10000);
      for (const pid_t group : started) ::kill(-group, SIGKILL);
      ::kill(-pid, SIGKILL);
      return ran_on ? killed_but_its_programs_ran_on : killed;
    }
    return ended_first;
  }
  // Starts pictora-cli with args, presses Ctrl-C (SIGINT to it alone) as
  // soon as `path` exists ("PID" as above), and waits up to a minute for it
  // to end (then kills it): its exit status (128 + the signal when one
  // ended it) and standard error. -1 when it ended before path appeared.
  result_t run_interrupted_when(words_t args, std::string path) const {
    args.insert(args.begin(), testutil::cli_path());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    words_t env = environment();
    const std::string err_file = home / "interrupted.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setpgid(0, 0);
      for (auto& e : env) ::putenv(e.data());
      if (::chdir((home / "cwd").c_str()) == 0 && std::freopen("/dev/null", "w", stdout) &&
          std::freopen(err_file.c_str(), "w", stderr))
        ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (size_t at; (at = path.find("PID")) != std::string::npos;) path.replace(at, 3, std::to_string(pid));
    result_t r;
    int status = 0;
    bool pressed = false;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ::usleep(1000)) {
      if (!pressed && testutil::exists(path)) pressed = ::kill(pid, SIGINT) == 0;
      if (pressed && ++waited > 60000) ::kill(-pid, SIGKILL);
    }
    r.status = !pressed ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.err = testutil::read_file(err_file);
    return r;
  }
  // Whether a process of the group still runs (zombies do not count).
  static bool group_runs(pid_t group) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      const std::string stat = testutil::read_file(entry.path() / "stat");
      const size_t end = stat.rfind(')');
      char state = 0;
      int parent = 0, pgrp = 0;
      if (end != std::string::npos && std::sscanf(stat.c_str() + end + 1, " %c %d %d", &state, &parent, &pgrp) == 3 &&
          pgrp == group && state != 'Z')
        return true;
    }
    return false;
  }

  testutil::TempDir home;
  std::string path_prefix;  // put before PATH when not empty
};

// Every entry below dir by its relative path: a directory as "<dir>", a file
// (through links) as its bytes, the time stamp line of a page left out.
inline std::map<std::string, std::string> snapshot(const std::string& dir) {
  namespace fs = std::filesystem;
  static const std::regex stamp("<!-- hhmts start -->\n[^\n]*\n");
  std::map<std::string, std::string> entries;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = it->path().lexically_relative(dir).string();
    const std::string bytes = fs::is_directory(it->path()) ? "<dir>" : testutil::read_file(it->path());
    entries[relative] = it->path().extension() == ".html" ? std::regex_replace(bytes, stamp, "") : bytes;
  }
  return entries;
}

// The entries that differ between two snapshots, one "missing", "differs" or
// "extra" line each (a page that differs with its first differing lines);
// empty when they are the same.
inline std::string difference(const std::map<std::string, std::string>& expected,
                              const std::map<std::string, std::string>& actual) {
  std::string out;
  for (const auto& [name, bytes] : expected) {
    const auto it = actual.find(name);
    if (it != actual.end() && it->second == bytes) continue;
    out += (it == actual.end() ? "missing " : "differs ") + name + "\n";
    if (it == actual.end() || name.size() < 5 || name.compare(name.size() - 5, 5, ".html") != 0) continue;
    const std::string& got = it->second;
    size_t first = 0;
    while (first < bytes.size() && first < got.size() && bytes[first] == got[first]) ++first;
    const size_t start = first == 0 ? 0 : bytes.rfind('\n', first - 1) + 1;  // npos + 1 is 0
    out += "  expected: " + bytes.substr(start, 200) + "\n  actual:   " + got.substr(start, 200) + "\n";
  }
  for (const auto& entry : actual)
    if (expected.count(entry.first) == 0) out += "extra " + entry.first + "\n";
  return out;
}

inline void write_script(const std::string& path, const std::string& body) {
  testutil::write_file(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

}  // namespace safety
