// Starting the outside programs that show the albums: the web browser on a
// generated page, the picture viewer on pictures of albums, the movie player
// on a movie. Each runs beside this program; nothing waits for it to end, and
// no file name is ever read as shell code.
#pragma once

#include <list>
#include <string>

namespace pictora {

// Opens dir/index.html in the user's browser: the command of the BROWSER
// environment variable when set, else xdg-open. Failures are silent.
void run_browser(const std::string& dir);

// Starts the viewer command of the vexaview setting with arg, or with every
// element of args in order, as further arguments. prog_dir does not enter
// the command. True when the viewer was started.
bool run_vexaview(const std::string& prog_dir, const std::string& arg);
bool run_vexaview(const std::string& prog_dir, const std::list<std::string>& args);

// Starts the player command of the movie setting with file as its last
// argument. True when the player was started.
bool run_movie(const std::string& file);

}  // namespace pictora
