// The command-line front end: global options, the table of command groups
// and the helpers the groups share.
#pragma once

#include <string>
#include <vector>

namespace pictora::cli {

// Exit statuses.
constexpr int exit_ok = 0;
constexpr int exit_failed = 1;  // an operation failed; its reports are on standard error
constexpr int exit_usage = 2;   // the command line was wrong

// What the global options and start-up settled, for every command.
struct context_t {
  bool quiet = false;        // no progress output
  std::string prog_dir;      // the executable's directory, with its trailing '/'
  std::string settings_dir;  // with its trailing '/'
  std::string settings_name = "pictora";
};

struct command_t {
  const char* name;     // the word that selects the group
  const char* summary;  // one line for the overview
  const char* help;     // usage lines and descriptions, shown by COMMAND --help
  // args: the words after the name. Returns the exit status.
  int (*run)(context_t& ctx, const std::vector<std::string>& args);
};

// Parses the command line and runs the selected command.
int run(int argc, char** argv);

// Writes "pictora-cli: " + message and the command's usage (the overview
// when command is null) to standard error; returns exit_usage.
int usage_error(const command_t* command, const std::string& message);

// Stores "key" = value in g_global as a settings file line would; reports an
// unknown key or a value that cannot be used on standard error and returns
// false.
bool set_setting(const std::string& key, const std::string& value);

}  // namespace pictora::cli
