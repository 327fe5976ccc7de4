// Helpers shared by the tests: scratch folders, whole-file reads and writes,
// and capturing what a call writes to standard error.
#pragma once

#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system's temporary directory, removed with all its
// contents when the object goes. path() ends without a separator.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
void make_dirs(const std::string& path);
bool exists(const std::string& path);

// The contents of path once it exists, for files that a program started in
// the background writes under another name and renames into place. Gives up
// after a minute (a program that never ran) and returns "(never written)".
std::string wait_for_file(const std::string& path);

// Runs fn and returns what it wrote to standard error (std::cerr and fd 2).
template <typename Fn>
std::string capture_stderr(Fn&& fn);

// Where the real camera pictures lie; empty when that folder is absent.
std::string samples_dir();

// Runs argv[0] with the given arguments and environment additions
// ("NAME=value"), feeding no input. Returns the exit status and fills
// out/err with what it wrote.
int run_program(const std::vector<std::string>& argv, std::string* out, std::string* err,
                const std::vector<std::string>& env = {});

// Starts argv[0] as run_program does, with its output thrown away, and kills
// it with SIGKILL once `milliseconds` have passed. True when it was killed,
// false when it had ended by then.
bool run_program_killed_after(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                              unsigned milliseconds);

// The built pictora-cli.
std::string cli_path();

}  // namespace testutil

#include "tests/support/test_util_inl.h"
