#include "app/progress.h"

namespace pictora {

namespace {

std::function<void(const std::string&)>& item_listener() {
  static std::function<void(const std::string&)> listener;
  return listener;
}

}  // namespace

void emit_progress(sigc::signal<void, double>& progress, size_t done, size_t total, const std::string& item) {
  if (item_listener()) item_listener()(item);
  progress.emit(static_cast<double>(done) / static_cast<double>(total));
}

void set_progress_item_listener(std::function<void(const std::string& item)> listener) {
  item_listener() = std::move(listener);
}

}  // namespace pictora
