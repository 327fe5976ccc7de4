#include "cli/cli.h"

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <utility>

#include "app/exif.h"
#include "app/global.h"
#include "cli/commands.h"
#include "cli/work.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora::cli {

namespace {

const char* const overview_usage =
    "Usage: pictora-cli [--quiet] [--set KEY=VALUE]... COMMAND [ARGS...]\n"
    "       pictora-cli [COMMAND] --help\n";

void print_overview(std::ostream& os) {
  os << overview_usage
     << "\n"
        "Builds and keeps static web photo albums in a tree of books.\n"
        "\n"
        "Options:\n"
        "  --set KEY=VALUE  use VALUE for the setting KEY in this run only, read\n"
        "                   as a line of the settings file (repeatable)\n"
        "  --quiet          print no progress and no commands, only failures\n"
        "  --help           show this help\n"
        "  --version        print the version\n"
        "\n"
        "Commands:\n";
  for (size_t i = 0; i < command_count; ++i) {
    std::string name = commands[i]->name;
    // At least two spaces before the summary, which is what tells a name
    // from its text (help2man reads the list so).
    name.resize(std::max<size_t>(name.size() + 2, 12), ' ');
    os << "  " << name << commands[i]->summary << "\n";
  }
  os << "\nRun 'pictora-cli COMMAND --help' for the usage of a command.\n";
}

const command_t* find_command(const std::string& name) {
  for (size_t i = 0; i < command_count; ++i) {
    if (name == commands[i]->name) return commands[i];
  }
  return nullptr;
}

// The catalogues are copied beside the executable in the build tree, and the
// catalogue loader falls back to the installed data directory.
std::string executable_dir() { return libutils::dirname(libutils::platform::executable_path()); }

}  // namespace

int usage_error(const command_t* command, const std::string& message) {
  std::cerr << "pictora-cli: " << message << "\n";
  if (command) {
    // The usage lines are the help text up to its first empty line.
    const std::string help = command->help;
    std::cerr << help.substr(0, help.find("\n\n") + 1);
  } else {
    std::cerr << overview_usage;
  }
  std::cerr << "Run 'pictora-cli " << (command ? std::string(command->name) + " " : "") << "--help' for more.\n";
  return exit_usage;
}

bool set_setting(const std::string& key, const std::string& value) {
  std::string why_not;
  if (usable_setting(key, value, why_not)) return setinivalue(key, value);
  if (why_not.empty())
    std::cerr << "pictora-cli: unknown setting: " << key << "\n";
  else
    std::cerr << "pictora-cli: " << key << ": " << why_not << "\n";
  return false;
}

int run(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  context_t ctx;
  std::vector<std::pair<std::string, std::string>> overrides;
  size_t at = 0;
  for (; at < words.size() && words[at].compare(0, 1, "-") == 0; ++at) {
    const std::string& option = words[at];
    if (option == "--help" || option == "-h") {
      print_overview(std::cout);
      return exit_ok;
    } else if (option == "--version") {
      std::cout << "pictora-cli " PICTORA_VERSION "\n";
      return exit_ok;
    } else if (option == "--quiet" || option == "-q") {
      ctx.quiet = true;
    } else if (option == "--set") {
      std::pair<std::string, std::string> kv;
      if (++at == words.size() || !libutils::separate_first_token(kv, words[at], '='))
        return usage_error(nullptr, "--set needs KEY=VALUE");
      overrides.push_back(std::move(kv));
    } else {
      return usage_error(nullptr, "unknown option: " + option);
    }
  }
  if (at == words.size()) return usage_error(nullptr, "no command given");
  const command_t* command = find_command(words[at]);
  if (!command) return usage_error(nullptr, "unknown command: " + words[at]);
  const std::vector<std::string> args(words.begin() + static_cast<std::ptrdiff_t>(at) + 1, words.end());
  for (const std::string& arg : args) {
    if (arg == "--help") {
      std::cout << command->help;
      return exit_ok;
    }
  }

  ctx.prog_dir = executable_dir();
  libutils::report_log_t log = printing_log(ctx);
  vexalib::init_message(ctx.prog_dir.c_str(), "pictora", log);
  initexif(nullptr, nullptr);
  // A missing settings file leaves the defaults; it is created only when a
  // setting is saved.
  ctx.settings_dir = settings_dir();
  loadini(ctx.settings_dir, ctx.settings_name, log);
  for (const auto& [key, value] : overrides) {
    if (!set_setting(key, value)) return exit_usage;
  }
  return command->run(ctx, args);
}

}  // namespace pictora::cli
