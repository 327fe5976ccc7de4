// pictora-cli run in a scratch home: its settings file, what it printed.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace settings {

struct run_t {
  int status = -1;
  std::string out, err;
};

// argv with the environment of a user whose home is `home` (settings in
// home/config), plus env ("NAME=value", set last).
inline run_t run(const testutil::TempDir& home, const std::vector<std::string>& argv,
                 const std::vector<std::string>& env = {}) {
  std::vector<std::string> all = {"HOME=" + home.path(), "USER=pictora-test-nobody", "LC_ALL=C",
                                  "XDG_CONFIG_HOME=" + home / "config"};
  all.insert(all.end(), env.begin(), env.end());
  run_t r;
  r.status = testutil::run_program(argv, &r.out, &r.err, all);
  return r;
}

inline run_t cli(const testutil::TempDir& home, std::vector<std::string> args,
                 const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), testutil::cli_path());
  return run(home, args, env);
}

}  // namespace settings
