#include "app/progwin.h"

#include <algorithm>
#include <cstdlib>

namespace pictora {

const char* default_title = "progress window";

ProgWin::ProgWin(Gtk::Window& parent) {
  set_title(Glib::locale_to_utf8(default_title));
  set_transient_for(parent);
  set_modal(true);
  set_size_request(600, 100);
  Gtk::Box* box = get_content_area();
  for (Gtk::ProgressBar* bar : {&bar1, &bar2, &bar3, &bar4, &bar5, &bar6}) box->pack_start(*bar);
  signal1.connect(sigc::mem_fun(*this, &ProgWin::setProgress1));
  signal2.connect(sigc::mem_fun(*this, &ProgWin::setProgress2));
  signal3.connect(sigc::mem_fun(*this, &ProgWin::setProgress3));
  signal4.connect(sigc::mem_fun(*this, &ProgWin::setProgress4));
  signal5.connect(sigc::mem_fun(*this, &ProgWin::setProgress5));
  signal6.connect(sigc::mem_fun(*this, &ProgWin::setProgress6));
  show_all_children();
}

void ProgWin::setProgress1(double value) { set_bar(bar1, value); }
void ProgWin::setProgress2(double value) { set_bar(bar2, value); }
void ProgWin::setProgress3(double value) { set_bar(bar3, value); }
void ProgWin::setProgress4(double value) { set_bar(bar4, value); }
void ProgWin::setProgress5(double value) { set_bar(bar5, value); }
void ProgWin::setProgress6(double value) { set_bar(bar6, value); }

void ProgWin::set_bar(Gtk::ProgressBar& bar, double value) {
  bar.set_fraction(std::min(value, 1.0));
  bar.queue_draw();
  Iteration();
}

void ProgWin::Iteration() {
  // An operation is not unwound when the user quits in the middle of it: the
  // program simply ends, as it would after the operation.
  while (Gtk::Main::events_pending()) {
    if (Gtk::Main::iteration(false)) std::exit(0);
  }
}

void ProgWin::clear() {
  set_title(Glib::locale_to_utf8(default_title));
  setProgress1(0);
  setProgress2(0);
  setProgress3(0);
  setProgress4(0);
  setProgress5(0);
  setProgress6(0);
}

}  // namespace pictora
