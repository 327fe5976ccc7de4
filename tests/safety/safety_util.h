// Running pictora-cli as a user would, in a scratch home with its own
// settings and working directory, and looking at what it left on disk.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace safety {

struct result_t {
  int status = -1;
  std::string out, err;
};

// A scratch home: HOME, XDG_CONFIG_HOME (home/config) and the working
// directory (home/cwd, empty until a program writes there) of every run.
class user_t {
 public:
  user_t();
  std::string operator/(const std::string& relative) const { return home / relative; }
  // pictora-cli with args; env entries ("NAME=value") are added last.
  result_t run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) const;
  // Starts pictora-cli with args and kills it and its children (SIGKILL)
  // as soon as `path` exists; false when it ended before that.
  bool run_killed_when(const std::vector<std::string>& args, const std::string& path) const;
  std::vector<std::string> environment() const;

  testutil::TempDir home;
  std::string path_prefix;  // put before PATH when not empty
};

// Every entry below dir by its relative path: a directory as "<dir>", a file
// (through links) as its bytes, the time stamp line of a page left out.
// Temporary files of an interrupted run are not listed.
std::map<std::string, std::string> snapshot(const std::string& dir);

// The entries that differ between two snapshots, one "missing", "differs"
// or "extra" line each; empty when they are the same.
std::string difference(const std::map<std::string, std::string>& expected,
                       const std::map<std::string, std::string>& actual);

// Writes an executable shell script.
void write_script(const std::string& path, const std::string& body);

}  // namespace safety
