// pictora-cli config: the settings file.
#include <cerrno>
#include <filesystem>
#include <iostream>

#include "app/global.h"
#include "cli/cli.h"
#include "cli/work.h"
#include "libutils/common.h"

namespace pictora::cli {

namespace {

int run_config(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

extern const command_t config_command = {
    "config",
    "show or change the settings",
    "Usage: pictora-cli config show\n"
    "       pictora-cli config path\n"
    "       pictora-cli config set KEY VALUE\n"
    "\n"
    "  show  print the settings in effect, one KEY=VALUE a line, in the order\n"
    "        of the settings file (--set overrides included)\n"
    "  path  print the path of the settings file\n"
    "  set   store VALUE for KEY in the settings file, read as a line of that\n"
    "        file, creating the file and its directory when needed\n",
    run_config,
};

namespace {

int config_set(const context_t& ctx, const std::string& key, const std::string& value) {
  // The stored settings are changed, not this run's: --set overrides are
  // left out of the file.
  g_global = global_t();
  libutils::report_log_t log = printing_log(ctx);
  loadini(ctx.settings_dir, ctx.settings_name, log);
  if (!set_setting(key, value)) return exit_usage;
  std::error_code ec;
  std::filesystem::create_directories(ctx.settings_dir, ec);
  const std::string file = inifile(ctx.settings_dir, ctx.settings_name);
  if (!writeinifile(file)) {
    libutils::fail(log, file, ": cannot be written", errno);
    return exit_failed;
  }
  return exit_ok;
}

int run_config(context_t& ctx, const std::vector<std::string>& args) {
  const std::string action = args.empty() ? "" : args[0];
  if (action == "show" && args.size() == 1) {
    writeini(std::cout, "\n");
    return exit_ok;
  }
  if (action == "path" && args.size() == 1) {
    std::cout << inifile(ctx.settings_dir, ctx.settings_name) << "\n";
    return exit_ok;
  }
  if (action == "set" && args.size() == 3) return config_set(ctx, args[1], args[2]);
  if (action == "show" || action == "path" || action == "set")
    return usage_error(&config_command, "wrong number of arguments for config " + action);
  return usage_error(&config_command, action.empty() ? "config needs an action" : "unknown action: " + action);
}

}  // namespace

}  // namespace pictora::cli
