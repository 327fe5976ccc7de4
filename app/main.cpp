// The window program: one main window over the album base.
#include <gtkmm.h>

#include "app/loopmeter.h"
#include "app/menu_win.h"

int main(int argc, char** argv) {
  Gtk::Main kit(argc, argv, true);
  pictora::start_loop_meter();
  auto* window = new pictora::MenuWindow(argc, argv);
  Gtk::Main::run(*window);
  delete window;
  return 0;
}
