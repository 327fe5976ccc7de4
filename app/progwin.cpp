#include "app/progwin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "app/global.h"
#include "app/progress.h"
#include "app/wintext.h"

namespace pictora {

namespace {

// Ends the process at once: a thread may still be working, so no static
// object is destroyed under it (the designed end after a quit is status 0
// with nothing unwound).
[[noreturn]] void end_now() {
  std::cout.flush();
  std::fflush(nullptr);
  std::_Exit(0);
}

// What a job's thread reports, for the main loop to show.
struct relay_t {
  std::mutex mutex;
  double fraction[6] = {};
  // The count and time left of each stage (shown on its bar), and the
  // count the next stage report belongs to.
  stage_pace_t pace[6];
  std::string pace_text[6];
  size_t items_done = 0, items_total = 0;
  bool counted = false;
  int last_stage = -1;
  std::string title;
  bool retitled = false;
  bool finished = false;
};

}  // namespace

const char* default_title = "progress window";

ProgWin::ProgWin(Gtk::Window& parent) {
  set_title(Glib::locale_to_utf8(default_title));
  set_transient_for(parent);
  set_modal(true);
  set_size_request(600, 100);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
  Gtk::Box* box = get_content_area();
  for (Gtk::ProgressBar* bar : {&bar1, &bar2, &bar3, &bar4, &bar5, &bar6}) box->pack_start(*bar);
  show_all_children();
}

void ProgWin::clear() {
  set_title(Glib::locale_to_utf8(default_title));
  for (Gtk::ProgressBar* bar : {&bar1, &bar2, &bar3, &bar4, &bar5, &bar6}) {
    bar->set_fraction(0);
    bar->set_text("");
    bar->set_show_text(false);
  }
}

bool ProgWin::show_while(const progress_job_t& job, libutils::report_log_t& log) {
  clear();
  show();
  const bool result = work(job, log);
  hide();
  return result;
}

bool ProgWin::work(const progress_job_t& job, libutils::report_log_t& log) {
  relay_t relay;
  build_context_t ctx(g_global);
  stopped_ = false;
  set_response_sensitive(Gtk::RESPONSE_CANCEL, true);
  // Cancel and the window's close button both stop the job; the window
  // stays until the job has ended.
  const auto stop = [&] {
    ctx.stop_requested = true;
    set_response_sensitive(Gtk::RESPONSE_CANCEL, false);
  };
  sigc::connection cancelled = signal_response().connect([&](int) { stop(); });
  sigc::connection closed = signal_delete_event().connect([&](GdkEventAny*) {
    stop();
    return true;
  });
  batch_progress_t progress;
  for (int i = 0; i < 6; ++i) {
    progress.stage[i].connect([&relay, i](double value) {
      const std::lock_guard<std::mutex> lock(relay.mutex);
      relay.fraction[i] = value;
      if (!relay.counted) return;
      relay.pace[i].report(relay.items_done, relay.items_total, i != relay.last_stage);
      relay.pace_text[i] = relay.pace[i].text();
      relay.last_stage = i;
      relay.counted = false;
    });
  }
  // The items' counts come just before their stage's fraction.
  ctx.item_done = [&relay](const std::string&, size_t done, size_t total) {
    const std::lock_guard<std::mutex> lock(relay.mutex);
    relay.items_done = done;
    relay.items_total = total;
    relay.counted = true;
  };
  progress.begin_directory = [&relay](const std::string& directory) {
    const std::lock_guard<std::mutex> lock(relay.mutex);
    relay.title = directory;
    relay.retitled = true;
    std::fill(std::begin(relay.fraction), std::end(relay.fraction), 0.0);
    std::fill(std::begin(relay.pace_text), std::end(relay.pace_text), std::string());
    relay.last_stage = -1;
  };
  Gtk::ProgressBar* bars[6] = {&bar1, &bar2, &bar3, &bar4, &bar5, &bar6};
  // Shows what the job reported last; a bar is drawn only when it moved.
  auto show = [&] {
    const std::lock_guard<std::mutex> lock(relay.mutex);
    if (relay.retitled) set_title(text_utf8(relay.title));
    relay.retitled = false;
    for (int i = 0; i < 6; ++i) {
      const double fraction = std::min(relay.fraction[i], 1.0);
      if (bars[i]->get_fraction() != fraction) bars[i]->set_fraction(fraction);
      if (bars[i]->get_text() != relay.pace_text[i]) {
        bars[i]->set_text(relay.pace_text[i]);
        bars[i]->set_show_text(!relay.pace_text[i].empty());
      }
    }
    return relay.finished;
  };

  Glib::Dispatcher finished;  // wakes the main loop when the job ends
  // The loop ends on the wake itself, so that it is not left behind for a
  // dispatcher that is gone.
  bool heard = false;
  finished.connect([&] { heard = true; });
  bool result = false;
  libutils::report_log_t job_log;  // the worker's own, handed over at the end
  std::thread worker([&] {
    result = job(ctx, progress, job_log);
    {
      const std::lock_guard<std::mutex> lock(relay.mutex);
      relay.finished = true;
    }
    finished.emit();
  });
  // The bars move 25 times a second, however often the job reports.
  sigc::connection timer = Glib::signal_timeout().connect([&] { return !show(); }, 40);
  while (!heard) {
    if (Gtk::Main::iteration(true)) end_now();
  }
  timer.disconnect();
  cancelled.disconnect();
  closed.disconnect();
  worker.join();
  log.append(job_log);
  stopped_ = ctx.stopped();
  show();
  return result;
}

void show_job_reports(Gtk::Window& parent, vexalib::e_message_t heading, const ProgWin& progress,
                      const libutils::report_log_t& log) {
  std::string text = log.text();
  if (progress.stopped()) {
    error_box(parent, vexalib::getmsg(vexalib::msg_stopped) + (text.empty() ? "" : "\n\n" + text));
  } else if (!text.empty()) {
    error_box(parent, vexalib::getmsg(heading) + ("\n\n" + text));
  }
}

}  // namespace pictora
