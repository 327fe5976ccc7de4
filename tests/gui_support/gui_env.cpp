#include "tests/gui_support/gui_env.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include <gtkmm.h>

#include "libutils/report.h"
#include "vexalib/message.h"

#include "tests/support/test_util.h"

namespace testutil {

namespace {

// In a child about to run a helper for this process: it ends when this
// process does, and holds none of its descriptors (a death test's pipe,
// say) but fd_kept.
void detach_child(int fd_kept = -1) {
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  for (int fd = 3; fd < 1024; ++fd)
    if (fd != fd_kept) ::close(fd);
}

void stop(int pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace

// Xvfb picks a free display and writes its number to a pipe. -terminate
// ends the server when its last client disconnects, even if the test dies
// without reaching the destructor.
x_server_t::x_server_t(int width, int height, bool window_manager) {
  int fd[2];
  if (::pipe(fd) != 0) throw std::runtime_error("pipe for Xvfb failed");
  const std::string write_fd = std::to_string(fd[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const pid_t pid = ::fork();
  if (pid == 0) {
    detach_child(fd[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", write_fd.c_str(), "-nolisten", "tcp", "-terminate", "-screen", "0",
             screen.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fd[1]);
  std::string number;
  char c;
  while (::read(fd[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(fd[0]);
  if (pid < 0 || number.empty()) throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
  server_ = pid;
  display_ = ":" + number;
  // A client that stays, so that the server lives while programs come
  // and go (the accessibility bus's launcher connects only for a moment).
  keeper_ = ::fork();
  if (keeper_ == 0) {
    detach_child();
    ::freopen("/dev/null", "w", stdout);
    ::execlp("xprop", "xprop", "-display", display_.c_str(), "-root", "-spy", "_NET_SUPPORTING_WM_CHECK",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (!window_manager) return;
  manager_ = ::fork();
  if (manager_ == 0) {
    detach_child();
    ::setenv("DISPLAY", display_.c_str(), 1);
    ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Ready once it has named itself on the root window.
  for (int i = 0; i < 100; ++i) {
    std::string out, err;
    run_program({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, &out, &err, {"DISPLAY=" + display_});
    if (out.find("window id") != std::string::npos) return;
    ::usleep(100000);
  }
  throw std::runtime_error("openbox did not start (is the openbox package installed?)");
}

x_server_t::~x_server_t() {
  stop(manager_);
  stop(keeper_);
  stop(server_);
}

void start_gui() {
  static bool started = false;
  if (started) return;
  started = true;
  static x_server_t* server = new x_server_t(2560, 1440, false);
  std::atexit([] { delete server; });
  ::setenv("DISPLAY", server->display().c_str(), 1);
  ::unsetenv("GDK_SCALE");
  ::setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus on this server
  ::setenv("GDK_BACKEND", "x11", 1);
  if (!gtk_init_check(nullptr, nullptr)) throw std::runtime_error("GTK cannot open the Xvfb display");
  Gtk::Main::init_gtkmm_internals();
}

void in_main_loop(const std::function<void()>& fn) {
  Glib::signal_idle().connect_once([&fn] {
    fn();
    gtk_main_quit();
  });
  gtk_main();
}

void settle() {
  while (Gtk::Main::events_pending()) gtk_main_iteration_do(false);
}

std::string save_screenshot(Gtk::Window& window, const std::string& name) {
  bool drawn = false;
  sigc::connection watch = window.signal_draw().connect(
      [&drawn](const Cairo::RefPtr<Cairo::Context>&) {
        drawn = true;
        return false;
      },
      true);
  window.show();
  window.queue_draw();
  while (!drawn) gtk_main_iteration_do(true);
  watch.disconnect();
  settle();
  const Glib::RefPtr<Gdk::Window> gdk_window = window.get_window();
  const Glib::RefPtr<Gdk::Pixbuf> shot =
      Gdk::Pixbuf::create(gdk_window, 0, 0, gdk_window->get_width(), gdk_window->get_height());
  if (!shot) return "";
  const std::string dir = PICTORA_BINARY_DIR "/test-artefacts";
  make_dirs(dir);
  const std::string path = dir + "/" + name + ".png";
  shot->save(path, "png");
  return path;
}

void load_catalogue() {
  libutils::report_log_t log;
  vexalib::init_message(PICTORA_BINARY_DIR "/app/", "pictora", log);
}

}  // namespace testutil

// In the sanitizer build: GTK's system libraries keep memory for the life of
// the process (font caches) and GIO loads and unloads modules whose
// initialisers allocate; neither is ours. Frame-pointer-less glib frames
// need the slow unwinder to show where an allocation came from.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:_dl_init\n"; }
