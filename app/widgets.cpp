#include "app/widgets.h"

#include <strings.h>

#include <algorithm>
#include <initializer_list>

#include "app/album.h"
#include "app/bookedit.h"
#include "app/global.h"
#include "app/wintext.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

constexpr int max_list_height = 640;

// Enter in any entry of container answers the dialog's default button.
void enter_answers_default(Gtk::Container& container) {
  for (Gtk::Widget* child : container.get_children()) {
    if (auto* entry = dynamic_cast<Gtk::Entry*>(child)) {
      // A spin button's Enter takes the number typed.
      if (dynamic_cast<Gtk::SpinButton*>(child) == nullptr) entry->set_activates_default(true);
    } else if (auto* inner = dynamic_cast<Gtk::Container*>(child)) {
      enter_answers_default(*inner);
    }
  }
}

}  // namespace

void row_labels_t::fill(const menu_row_t& row) {
  if (row.has_viewer()) count_label.set_text(text_utf8(row.count));
  title_label.set_text(text_utf8(row.title));
  title_label.set_selectable(true);
  comment_label.set_text(text_utf8(row.comment));
  comment_label.set_xalign(0);
  comment_label.set_selectable(true);
}

comment_box_t::comment_box_t() {
  set_shadow_type(Gtk::SHADOW_IN);
  set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  view.set_wrap_mode(Gtk::WRAP_WORD_CHAR);
  view.set_size_request(300, 60);
  add(view);
}

std::string comment_box_t::text() { return view_text(view); }

void comment_box_t::set_text(const std::string& text) { view.get_buffer()->set_text(text_utf8(text)); }

field_row_t::field_row_t(vexalib::e_message_t label_message) : Gtk::HBox(false, 6), label(msg_utf8(label_message)) {
  label.set_width_chars(20);
  label.set_xalign(0);
  pack_start(label, Gtk::PACK_SHRINK);
}

texts_panel_t::texts_panel_t(bool editable)
    : editable(editable),
      dir_row(false, 6),
      dir_caption(msg_utf8(vexalib::msg_album_folder)),
      secret_row(false, 6),
      secret_label(msg_utf8(vexalib::msg_secret)),
      title_row(vexalib::msg_title),
      head_label(msg_utf8(vexalib::msg_head_comment), 0, 0.5),
      last_label(msg_utf8(vexalib::msg_closing_comment), 0, 0.5) {
  dir_label.set_selectable(true);
  dir_label.set_xalign(0);
  dir_label.set_ellipsize(Pango::ELLIPSIZE_START);
  dir_row.pack_start(dir_caption, Gtk::PACK_SHRINK);
  dir_row.pack_start(dir_label);
  secret_row.pack_start(secret_label, Gtk::PACK_SHRINK);
  secret_row.pack_start(secret_check, Gtk::PACK_SHRINK);
  secret_check.set_sensitive(editable);
  if (editable) {
    title_entry.set_width_chars(40);
    title_row.pack_start(title_entry);
  } else {
    title_label.set_xalign(0);
    title_label.set_selectable(true);
    title_row.pack_start(title_label);
  }
  head_text.view.set_editable(editable);
  last_text.view.set_editable(editable);
}

void texts_panel_t::load(const path_t& dir) {
  std::string path, title, head, last;
  dir.make(path);
  dir_label.set_text(text_utf8(path));
  libutils::report_log_t log = console_log();
  loadcommenttxt(dir, title, head, last, log);
  title_entry.set_text(text_utf8(title));
  title_label.set_text(text_utf8(title));
  head_text.set_text(head);
  last_text.set_text(last);
  secret_check.set_active(is_secret(dir));
}

void texts_panel_t::take_from(const path_t& dir) {
  std::string title, head, last;
  libutils::report_log_t log = console_log();
  if (loadcommenttxt(dir, title, head, last, log)) {
    if (!title.empty()) title_entry.set_text(text_utf8(title));
    if (!head.empty()) head_text.set_text(head);
    if (!last.empty()) last_text.set_text(last);
  }
  secret_check.set_active(is_secret(dir));
}

texts_edit_t texts_panel_t::read() {
  return texts_edit_t{text_locale(title_entry.get_text()), head_text.text(), last_text.text(),
                      secret_check.get_active()};
}

void texts_panel_t::pack_head(Gtk::Box& box) {
  for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{&secret_row, &title_row, &head_label, &head_text})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
}

void texts_panel_t::pack_last(Gtk::Box& box) {
  box.pack_start(last_label, Gtk::PACK_SHRINK);
  box.pack_start(last_text, Gtk::PACK_SHRINK);
}

void texts_panel_t::pack_around(Gtk::Box& box, Gtk::Widget& list) {
  box.pack_start(dir_row, Gtk::PACK_SHRINK);
  box.pack_start(secret_row, Gtk::PACK_SHRINK);
  box.pack_start(list);
  for (Gtk::Widget* widget :
       std::initializer_list<Gtk::Widget*>{&title_row, &head_label, &head_text, &last_label, &last_text})
    box.pack_start(*widget, Gtk::PACK_SHRINK);
}

void attach_cell(Gtk::Table& table, Gtk::Widget& widget, int column, int row) {
  const Gtk::AttachOptions grow = Gtk::EXPAND | Gtk::FILL;
  table.attach(widget, column, column + 1, row, row + 1, grow, grow, 0, 0);
}

Gdk::Rectangle work_area(Gtk::Widget& widget) {
  Gdk::Rectangle area;
  Glib::RefPtr<Gdk::Window> window = widget.get_window();
  if (!window) {
    auto* top = dynamic_cast<Gtk::Window*>(widget.get_toplevel());
    Gtk::Window* parent = top != nullptr ? top->get_transient_for() : nullptr;
    if (parent != nullptr) window = parent->get_window();
  }
  Glib::RefPtr<Gdk::Display> display = widget.get_display();
  Glib::RefPtr<Gdk::Monitor> monitor =
      window ? display->get_monitor_at_window(window) : display->get_primary_monitor();
  if (!monitor) monitor = display->get_monitor(0);
  if (monitor) monitor->get_workarea(area);
  return area;
}

void fit_dialog(Gtk::Dialog& dialog, Gtk::ScrolledWindow* list, int default_response, int wanted_width,
                int wanted_list_height, int offset) {
  dialog.set_default_response(default_response);
  enter_answers_default(*dialog.get_content_area());
  const Gdk::Rectangle area = work_area(dialog);
  // What the dialog asks for with its list showing all of its content.
  if (list != nullptr) {
    list->set_propagate_natural_width(true);
    list->set_propagate_natural_height(true);
  }
  Gtk::Requisition minimum, natural;
  dialog.get_preferred_size(minimum, natural);
  int height = natural.height;
  if (list != nullptr) {
    int list_minimum = 0, list_natural = 0;
    list->get_preferred_height(list_minimum, list_natural);
    if (wanted_list_height > list_natural) height += wanted_list_height - list_natural;
    // From now on what comes into the list scrolls there.
    list->set_propagate_natural_width(false);
    list->set_propagate_natural_height(false);
  }
  Gtk::Window* parent = dialog.get_transient_for();
  int width = std::max(natural.width, wanted_width);
  // A dialog standing off its parent is as large as the parent, so that
  // the parent's edges show beside it.
  if (offset > 0 && parent != nullptr) parent->get_size(width, height);
  width = std::min(width, area.get_width() - frame_width - offset);
  height = std::min(height, area.get_height() - frame_height - offset);
  dialog.set_default_size(std::max(width, minimum.width), std::max(height, minimum.height));
  if (offset == 0 || parent == nullptr) {
    dialog.set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    return;
  }
  int x = 0, y = 0;
  parent->get_position(x, y);
  dialog.set_position(Gtk::WIN_POS_NONE);
  dialog.move(std::max(area.get_x(), std::min(x + offset, area.get_x() + area.get_width() - width - frame_width)),
              std::max(area.get_y(), std::min(y + offset, area.get_y() + area.get_height() - height - frame_height)));
}

void keep_within_screen(Gtk::Window& window) {
  // The folder chooser sets its own size as it is realized, so it is
  // brought within the screen once it is mapped.
  window.signal_map_event().connect(
      [&window](GdkEventAny*) {
        const Gdk::Rectangle area = work_area(window);
        int width = 0, height = 0, x = 0, y = 0;
        window.get_size(width, height);
        window.get_position(x, y);
        const int most_width = area.get_width() - frame_width, most_height = area.get_height() - frame_height;
        if (width <= most_width && height <= most_height && x >= area.get_x() && y >= area.get_y()) return false;
        width = std::min(width, most_width);
        height = std::min(height, most_height);
        window.resize(width, height);
        window.move(area.get_x() + (area.get_width() - width - frame_width) / 2,
                    area.get_y() + (area.get_height() - height - frame_height) / 2);
        return false;
      },
      false);
}

void fit_list(Gtk::ScrolledWindow& scrolled, const Gdk::Rectangle& rect) {
  if (rect.get_height() < 1) return;
  const Gdk::Rectangle area = work_area(scrolled);
  // What the rest of the window takes, with room for its frame.
  Gtk::Widget* top = scrolled.get_toplevel();
  const int rest = top->get_allocated_height() - scrolled.get_allocated_height() + frame_height;
  const int limit = std::max(120, std::min(max_list_height, area.get_height() - rest));
  scrolled.set_size_request(std::min(area.get_width() - frame_width, rect.get_width()),
                            std::min(rect.get_height(), limit));
}

void return_to_window(Gtk::Window& window) {
  if (ostype != nullptr && ::strncasecmp(ostype, "Win", 3) != 0) window.iconify();
  window.present();
}

}  // namespace pictora
