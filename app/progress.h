// Progress of the long stages. After each of its items a stage reports
// through emit_progress: a front end that shows the item as well (a terminal
// bar, a window) hears its name and the count of items done first, then the
// stage's signal carries the fraction done.
#pragma once

#include <sigc++/sigc++.h>

#include <cstddef>
#include <functional>
#include <string>

namespace pictora {

// Emits done / total on progress, after handing item, done and total to the
// listener.
void emit_progress(sigc::signal<void, double>& progress, size_t done, size_t total, const std::string& item);

// Who hears the items; an empty function for nobody. One listener for the
// whole process, as there is one front end.
using progress_item_listener_t = std::function<void(const std::string& item, size_t done, size_t total)>;
void set_progress_item_listener(progress_item_listener_t listener);

}  // namespace pictora
