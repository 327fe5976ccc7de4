// Window tests run on an X server of their own: start_gui() starts Xvfb on a
// free display (whatever DISPLAY says, so that no window reaches the user's
// screen and the tests run where there is no display at all) and initialises
// GTK, once per process.
#pragma once

#include <functional>
#include <string>

namespace Gtk {
class Window;
}

namespace testutil {

// An X server of its own (Xvfb) of width x height pixels on a free display,
// with the openbox window manager running on it when window_manager holds;
// both end with the object.
class x_server_t {
 public:
  x_server_t(int width, int height, bool window_manager);
  ~x_server_t();
  x_server_t(const x_server_t&) = delete;
  x_server_t& operator=(const x_server_t&) = delete;
  // As DISPLAY names it (":N").
  const std::string& display() const { return display_; }

 private:
  int server_ = -1, keeper_ = -1, manager_ = -1;  // process ids
  std::string display_;
};

void start_gui();
// Loads the window texts from the catalogue the build put beside the program.
void load_catalogue();

// Runs fn inside the GTK main loop, as the program's handlers run, and
// returns when fn has returned.
void in_main_loop(const std::function<void()>& fn);

// Shows window, lets it draw, and saves what it shows as
// <build>/test-artefacts/<name>.png, for people to look at. Returns the
// file's path, or "" when the picture could not be taken.
std::string save_screenshot(Gtk::Window& window, const std::string& name);
// Handles every pending event, so that sizes are allocated and drawn.
void settle();

}  // namespace testutil
