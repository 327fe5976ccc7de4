#include "app/progress.h"

namespace pictora {

namespace {

progress_item_listener_t& item_listener() {
  static progress_item_listener_t listener;
  return listener;
}

}  // namespace

void emit_progress(sigc::signal<void, double>& progress, size_t done, size_t total, const std::string& item) {
  if (item_listener()) item_listener()(item, done, total);
  progress.emit(static_cast<double>(done) / static_cast<double>(total));
}

void set_progress_item_listener(progress_item_listener_t listener) {
  item_listener() = std::move(listener);
}

}  // namespace pictora
