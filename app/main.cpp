// The window program: one main window over the album base.
#include <gtkmm.h>

#include <cstring>
#include <iostream>

#include "app/loopmeter.h"
#include "app/menu_win.h"

namespace {

// --help and --version answer before GTK starts and before the settings are
// read, so that they work without a display (in a terminal, for help2man).
bool answered_without_window(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::cout << "pictora " PICTORA_VERSION "\n";
    return true;
  }
  if (std::strcmp(argv[1], "--help") != 0) return false;
  pictora::MenuWindow::usage(argv[0]);
  std::cout << "\n"
               "Builds and keeps static web photo albums in a tree of books. The main\n"
               "window lists the album base: its books, albums and collections, each\n"
               "with a viewer and an editor; new albums are imported from the camera\n"
               "folder. Both folders come from the settings, which the settings dialog\n"
               "edits and saves into $XDG_CONFIG_HOME/pictora/pictora.ini (else\n"
               "~/.config/pictora/pictora.ini); on the first start, without that file,\n"
               "the dialog comes up before the main window.\n"
               "\n"
               "Arguments:\n"
               "  <from dir>  the camera folder for this run only\n"
               "  <to dir>    the album base for this run only\n"
               "\n"
               "Options:\n"
               "  -h         print the usage line and exit\n"
               "  --help     print this help and exit\n"
               "  --version  print the version and exit\n"
               "\n"
               "The command line pictora-cli does the same work without a window.\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (answered_without_window(argc, argv)) return 0;
  Gtk::Main kit(argc, argv, true);
  pictora::start_loop_meter();
  auto* window = new pictora::MenuWindow(argc, argv);
  Gtk::Main::run(*window);
  delete window;
  return 0;
}
