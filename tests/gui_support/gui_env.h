// Window tests run on an X server of their own: start_gui() starts Xvfb on a
// free display (whatever DISPLAY says, so that no window reaches the user's
// screen and the tests run where there is no display at all) and initialises
// GTK, once per process.
#pragma once

#include <functional>

namespace testutil {

void start_gui();

// Runs fn inside the GTK main loop, as the program's handlers run, and
// returns when fn has returned.
void in_main_loop(const std::function<void()>& fn);

}  // namespace testutil
