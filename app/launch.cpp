#include "app/launch.h"

#include <cstdlib>
#include <vector>

#include "app/global.h"
#include "libutils/futil.h"
#include "libutils/process.h"

namespace pictora {

namespace {

// The words of a command setting followed by the given arguments, each of
// which stays one argument whatever it holds.
std::vector<std::string> command(const std::string& setting, const std::list<std::string>& args) {
  std::vector<std::string> argv = libutils::split_words(setting);
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

void run_browser(const std::string& dir) {
  const std::list<std::string> page{dir + libutils::native_separator + "index.html"};
  // BROWSER, when set, is one command (split as a shell would) that takes the
  // page as its last argument; xdg-open is the fallback when it cannot start.
  const char* browser = std::getenv("BROWSER");
  if (browser != nullptr && *browser != '\0' && libutils::start_process(command(browser, page))) return;
  libutils::start_process(command("xdg-open", page));
}

bool run_vexaview(const std::string& prog_dir, const std::string& arg) {
  return run_vexaview(prog_dir, std::list<std::string>{arg});
}

// The viewer runs beside this program, so "started" is all there is to
// report; what its options (-C DIR, -@ LIST, ...) mean is the viewer's own
// business (the default one, data/pictora-view, describes its choices).
bool run_vexaview(const std::string& /*prog_dir*/, const std::list<std::string>& args) {
  return libutils::start_process(command(g_global.vexaview, args));
}

bool run_movie(const std::string& file) {
  return libutils::start_process(command(g_global.movie, {file}));
}

}  // namespace pictora
