#include "app/picturerow.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <list>
#include <memory>
#include <sstream>

#include "app/camerafolder.h"
#include "app/exif.h"
#include "app/global.h"
#include "app/launch.h"
#include "app/loopmeter.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "app/wintext.h"
#include "libgr/imageutil.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

// No round of row building holds the main loop longer than this.
constexpr std::chrono::milliseconds slice_budget(20);
// The room a line takes before any line is laid out.
constexpr int first_line_height = 240;

std::string original_of(const path_t& album, const std::string& name) {
  std::string file;
  album.make(file, "original", name);
  return file;
}

// The caption as one text per line, without the tabs that start its lines.
std::string caption_of(const path_t& album, const std::string& name, libutils::report_log_t& log) {
  std::ostringstream os;
  std::string why;
  if (!writeexif(os, album, "original", name, false, log, &why)) return "";
  std::string text;
  std::istringstream lines(os.str());
  for (std::string line; std::getline(lines, line);) {
    line.erase(0, line.find_first_not_of('\t'));
    if (line.empty()) continue;
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

// What a row's picture is made of, on the loader's thread, with settings
// of the loader's own.
thumbnail_loader_t::job_t picture_job(const path_t& album, const std::string& name, int scale,
                                      const std::shared_ptr<const global_t>& settings) {
  if (ispicture(name)) {
    return [album, name, scale, settings](thumbnail_loader_t::result_t& r) {
      libutils::report_log_t log = console_log();
      // A picture none of whose levels can be read comes back empty.
      r.loaded = load_scaled_thumbnail(r.image, album, name, scale, *settings, log) && r.image.width > 0;
      r.info = caption_of(album, name, log);
    };
  }
  if (ismovie(name)) {
    return [album, name, scale, settings](thumbnail_loader_t::result_t& r) {
      libutils::report_log_t log = console_log();
      std::string duration, rate;
      r.loaded =
          load_scaled_ffthumbnail(r.image, album, name, scale, duration, rate, *settings, log) && r.image.width > 0;
      r.info = duration + ", " + rate;
    };
  }
  return nullptr;
}

}  // namespace

picture_grid_t::picture_grid_t(Gtk::Window& window, const char* rows_mark, const char* pictures_mark)
    : window_(window), rows_mark_(rows_mark), pictures_mark_(pictures_mark) {
  // Never sideways: the lines hold as many rows as the width does.
  set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
  add(lines_box_);
  lines_box_.signal_size_allocate().connect(sigc::mem_fun(*this, &picture_grid_t::lines_size_allocate));
  signal_size_allocate().connect(sigc::mem_fun(*this, &picture_grid_t::width_changed));
  // Scrolling or a new height brings other lines near the view.
  // The pictures are asked for first, so that the list is not taken for
  // settled while the loader has yet to hear of them.
  const auto view_moved = [this] {
    want_pictures();
    want_lines();
  };
  get_vadjustment()->signal_value_changed().connect(view_moved);
  get_vadjustment()->signal_changed().connect(view_moved);
}

picture_grid_t::~picture_grid_t() {
  slicer_.disconnect();
  relayer_.disconnect();
  loader_.reset();
}

int picture_grid_t::wanted_width() const {
  // Room for the scroll bar and the dialog's borders beside the lines.
  const int columns = static_cast<int>(std::max<std::uint64_t>(1, g_global.horizontal_items));
  return columns * (cell_width_ + column_spacing) + 60;
}

void picture_grid_t::width_changed(Gdk::Rectangle& rect) {
  if (rect.get_width() <= 1 || rect.get_width() == width_) return;
  width_ = rect.get_width();
  // Not while the list is being allocated.
  relayer_.disconnect();
  relayer_ = Glib::signal_idle().connect([this] {
    // The scroll bar's room stays free, whether it shows or not.
    const int room = width_ - scrollbar_room + column_spacing;
    const size_t fit = static_cast<size_t>(std::max(1, room / std::max(1, cell_width_ + column_spacing)));
    const size_t columns = std::min<size_t>(std::max<std::uint64_t>(1, g_global.horizontal_items), fit);
    if (columns != columns_ || lines_.empty()) lay_out(columns);
    want_lines();
    return false;
  });
}

void picture_grid_t::lines_size_allocate(Gdk::Rectangle&) {
  want_lines();
  // The lines not built yet take the room of a built one, so that the
  // scroll bar is near right from the start.
  if (line_height_ > 0) return;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const int height = lines_[i]->get_allocated_height();
    if (!line_complete(i) || height <= 1) continue;
    line_height_ = height;
    for (size_t j = 0; j < lines_.size(); ++j)
      if (lines_[j]->get_children().empty()) lines_[j]->set_size_request(-1, line_height_);
    return;
  }
}

void picture_grid_t::start(std::vector<thumbnail_loader_t::job_t> jobs, bool keep_all) {
  slicer_.disconnect();
  loader_.reset();
  for (auto& line : lines_) lines_box_.remove(*line);
  lines_.clear();
  held_.clear();
  count_ = jobs.size();
  keep_all_ = keep_all;
  built_.assign(count_, false);
  pictures_.assign(count_, keep_all ? picture_t::asked : picture_t::none);
  rows_announced_ = pictures_announced_ = false;
  loop_mark("picture list asked");
  loader_ = std::make_unique<thumbnail_loader_t>(
      std::move(jobs), [this](thumbnail_loader_t::result_t& r) { deliver(r); }, [this] { note_settled(); });
  if (keep_all) {
    std::vector<size_t> order(count_);
    std::iota(order.begin(), order.end(), 0);
    loader_->want(std::move(order));
  }
  // Laid out once the list knows its width.
  if (width_ > 0) {
    lay_out(columns_);
    want_lines();
  }
}

void picture_grid_t::lay_out(size_t columns) {
  for (auto& line : lines_) {
    for (Gtk::Widget* child : line->get_children()) line->remove(*child);
    lines_box_.remove(*line);
  }
  lines_.clear();
  columns_ = columns;
  for (size_t i = 0; i < (count_ + columns_ - 1) / columns_; ++i) {
    auto line = std::make_unique<Gtk::Grid>();
    line->set_column_spacing(column_spacing);
    // Columns of one width line up from line to line.
    line->set_column_homogeneous(true);
    line->set_size_request(-1, line_height_ > 0 ? line_height_ : first_line_height);
    lines_box_.pack_start(*line, Gtk::PACK_SHRINK);
    line->show();
    lines_.push_back(std::move(line));
  }
  // A grid lists its cells newest first: attached from the end, a line
  // reads to screen readers row by row in order.
  for (size_t i = count_; i-- > 0;)
    if (built_[i]) attach_row(i);
}

void picture_grid_t::attach_row(size_t index) {
  Gtk::Grid& line = *lines_[index / columns_];
  const size_t first = index / columns_ * columns_;
  // A short last line keeps the columns of the others.
  if (index + 1 == count_ && count_ - first < columns_) {
    auto* filler = Gtk::manage(new Gtk::Label());
    filler->show();
    line.attach(*filler, static_cast<int>(columns_) - 1, 0, 1, 1);
  }
  const std::vector<Gtk::Widget*> row_cells = cells(index);
  for (size_t r = row_cells.size(); r-- > 0;)
    line.attach(*row_cells[r], static_cast<int>(index % columns_), static_cast<int>(r), 1, 1);
  line.set_size_request(-1, -1);
}

bool picture_grid_t::line_complete(size_t line) const {
  const size_t first = line * columns_, end = std::min(count_, first + columns_);
  return std::all_of(built_.begin() + first, built_.begin() + end, [](bool b) { return b; });
}

bool picture_grid_t::loading() const {
  bool waiting = false;
  return wanted_line(&waiting).has_value() || waiting || (loader_ && !loader_->finished());
}

std::optional<size_t> picture_grid_t::wanted_line(bool* waiting) const {
  if (lines_.empty()) {
    // Not laid out yet: the width tells how many rows a line holds.
    if (waiting && count_ > 0) *waiting = true;
    return std::nullopt;
  }
  // Near: within a page above and two below the view, or a first screen
  // before the list is laid out.
  Glib::RefPtr<const Gtk::Adjustment> view = const_cast<picture_grid_t*>(this)->get_vadjustment();
  const double page = std::max(view->get_page_size(), 600.0);
  const double top = view->get_value() - page, bottom = view->get_value() + 3 * page;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (line_complete(i)) continue;
    const Gtk::Allocation where = lines_[i]->get_allocation();
    if (where.get_height() <= 1) {
      // Not laid out yet: the first line comes at once, the others once
      // the lines before them are laid out.
      if (i == 0) return i;
      if (waiting) *waiting = true;
      return std::nullopt;
    }
    if (where.get_y() + where.get_height() < top) continue;
    if (where.get_y() > bottom) break;
    return i;
  }
  return std::nullopt;
}

void picture_grid_t::want_lines() {
  if (slicer_.connected()) return;
  if (wanted_line().has_value()) {
    slicer_ = Glib::signal_idle().connect(sigc::mem_fun(*this, &picture_grid_t::build_slice));
  } else {
    note_settled();
  }
}

bool picture_grid_t::build_slice() {
  const auto start = std::chrono::steady_clock::now();
  while (const std::optional<size_t> line = wanted_line()) {
    const size_t first = *line * columns_, end = std::min(count_, first + columns_);
    for (size_t i = end; i-- > first;) {
      if (built_[i]) continue;
      for (Gtk::Widget* cell : build_row(i)) cell->show_all();
      built_[i] = true;
      attach_row(i);
      if (auto held = held_.find(i); held != held_.end()) {
        show_picture(held->second);
        held_.erase(held);
      }
    }
    if (std::chrono::steady_clock::now() - start > slice_budget) {
      want_pictures();
      return true;
    }
  }
  want_pictures();
  note_settled();
  return false;
}

void picture_grid_t::note_settled() {
  bool waiting = false;
  // A layout still to come may bring lines near the view.
  if (wanted_line(&waiting) || waiting) return;
  if (!rows_announced_) {
    loop_mark(rows_mark_);
    rows_announced_ = true;
  }
  if (!pictures_announced_ && loader_ && loader_->finished()) {
    loop_mark(pictures_mark_);
    pictures_announced_ = true;
  }
}

void picture_grid_t::want_pictures() {
  if (!loader_ || keep_all_) return;
  // Asked for: the rows within a page above and two below the view, as
  // rows are built; kept: those within three pages above and five below,
  // so that scrolling a little back and forth loads nothing again.
  Glib::RefPtr<Gtk::Adjustment> view = get_vadjustment();
  const double page = std::max(view->get_page_size(), 600.0), top = view->get_value();
  std::vector<size_t> in_view, near;
  for (size_t line = 0; line < lines_.size(); ++line) {
    const Gtk::Allocation where = lines_[line]->get_allocation();
    // A line built since the last layout lies where it is wanted.
    const bool laid_out = where.get_height() > 1;
    const double from = where.get_y(), to = from + where.get_height();
    const bool seen = !laid_out || (to >= top && from <= top + page);
    const bool wanted = !laid_out || (to >= top - page && from <= top + 3 * page);
    const bool kept = !laid_out || (to >= top - 3 * page && from <= top + 5 * page);
    const size_t first = line * columns_, end = std::min(count_, first + columns_);
    for (size_t i = first; i < end; ++i) {
      if (!built_[i]) continue;
      if (!kept && pictures_[i] == picture_t::shown) forget_picture(i);
      if (wanted && pictures_[i] != picture_t::shown) {
        (seen ? in_view : near).push_back(i);
        pictures_[i] = picture_t::asked;
      } else if (!kept || (!wanted && pictures_[i] == picture_t::asked)) {
        pictures_[i] = picture_t::none;
      }
    }
  }
  in_view.insert(in_view.end(), near.begin(), near.end());
  loader_->want(std::move(in_view));
}

void picture_grid_t::ask_again(size_t index) {
  pictures_[index] = picture_t::none;
  want_pictures();
}

void picture_grid_t::deliver(thumbnail_loader_t::result_t& result) {
  const size_t index = result.index;
  // A row scrolled far away since it asked lets the picture go.
  if (pictures_[index] != picture_t::asked) return;
  pictures_[index] = picture_t::shown;
  if (built_[index]) {
    show_picture(result);
  } else {
    // Its row comes later and shows it then.
    held_.emplace(index, std::move(result));
  }
}

void picture_grid_t::stop_pictures() {
  if (!loader_) return;
  loader_->stop();
  while (!loader_->ended()) {
    if (Gtk::Main::iteration(true)) std::exit(0);
  }
}

int picture_grid_t::natural_width(const std::vector<Gtk::Widget*>& widgets) {
  Gtk::OffscreenWindow offscreen;
  Gtk::VBox box;
  for (Gtk::Widget* widget : widgets) box.pack_start(*widget);
  offscreen.add(box);
  offscreen.show_all();
  int minimum = 0, natural = 0;
  box.get_preferred_width(minimum, natural);
  for (Gtk::Widget* widget : widgets) box.remove(*widget);
  return natural;
}

picture_list_t::picture_list_t(Gtk::Window& window, picture_list_options_t options)
    : picture_grid_t(window, "picture rows built", "picture thumbnails done"), options_(std::move(options)) {
  // The width a row needs: that of its marks or its flags, measured on a
  // row of this list's kind, or of a comment.
  picture_row_t measured;
  make_controls(measured, "", options_.rotation);
  set_cell_width(std::max(natural_width({&measured.mark_box, &measured.flag_box}), comment_width));
}

picture_list_t::~picture_list_t() = default;

void picture_list_t::fill(std::vector<entry_t> entries, const std::string& prog_dir) {
  rows.clear();
  prog_dir_ = prog_dir;
  entries_ = std::move(entries);
  rows.resize(entries_.size());
  const int scale = window_.get_scale_factor();
  std::vector<thumbnail_loader_t::job_t> jobs;
  const auto settings = std::make_shared<const global_t>(g_global);
  for (const entry_t& e : entries_) jobs.push_back(picture_job(e.album, e.name, scale, settings));
  start(std::move(jobs), false);
}

void picture_list_t::make_controls(picture_row_t& row, const Glib::ustring& name, bool turnable) {
  if (options_.marks) {
    Gtk::RadioButton::Group group = row.good.get_group();
    row.normal.set_group(group);
    row.fail.set_group(group);
    const std::pair<Gtk::RadioButton*, vexalib::e_message_t> marks[] = {
        {&row.good, vexalib::msg_good}, {&row.normal, vexalib::msg_normal}, {&row.fail, vexalib::msg_fail}};
    for (const auto& [button, message] : marks) {
      button->set_label(msg_utf8(message));
      button->set_sensitive(options_.flags_editable);
      button->get_accessible()->set_description(name);
      row.mark_box.pack_start(*button, Gtk::PACK_SHRINK);
    }
  }
  if (turnable) {
    row.rotate_check.set_label(msg_utf8(vexalib::msg_rotate));
    row.rotate_check.get_accessible()->set_description(name);
    row.angle.set_adjustment(Gtk::Adjustment::create(0, 0, 270, 90, 90, 0));
    row.angle.set_digits(0);
    row.angle.set_numeric(true);
    row.angle.set_wrap(false);
    row.angle.set_snap_to_ticks(true);
    row.angle.set_sensitive(false);
    row.angle.get_accessible()->set_description(name);
    row.mark_box.pack_start(row.rotate_check, Gtk::PACK_SHRINK);
    row.mark_box.pack_start(row.angle, Gtk::PACK_SHRINK);
  }
  for (size_t f = 0; f < 5; ++f) {
    Gtk::CheckButton& flag = row.flags[f];
    flag.set_label(msg_utf8(list_kind(s_flag_kinds[f]).label));
    flag.set_sensitive(options_.flags_editable);
    flag.set_can_focus(options_.flags_editable);
    flag.set_focus_on_click(options_.flags_editable);
    flag.get_accessible()->set_description(name);
    row.flag_box.pack_start(flag, Gtk::PACK_SHRINK);
  }
}

std::vector<Gtk::Widget*> picture_list_t::build_row(size_t index) {
  rows[index] = std::make_unique<picture_row_t>();
  picture_row_t& row = *rows[index];
  const entry_t& entry = entries_[index];
  row.album = entry.album;
  row.name = entry.name;
  const Glib::ustring name = text_utf8(row.name);
  row.picture.get_accessible()->set_name(name);
  if (!ispicture(row.name) && !ismovie(row.name)) {
    row.picture.reserve(32, 32);
  } else if (room_.width > 0) {
    // Pictures of an album mostly share a size: the room of the last one
    // keeps the line from growing when its own comes.
    row.picture.reserve(room_.width, room_.height);
  }
  // Where pictures of several albums share a name, the album tells them apart.
  row.name_label.set_text(entry.album_name.empty() ? name : name + " (" + text_utf8(entry.album_name) + ")");
  row.name_label.set_selectable(true);
  row.name_label.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);

  std::string comment;
  libutils::report_log_t log = console_log();
  loadphotocomment(comment, row.album, row.name, log);
  row.comment_view.set_text(comment);
  // As the view gives it back, so that an untouched comment is never
  // taken for a changed one.
  row.comment = row.comment_view.text();
  row.comment_view.view.set_editable(options_.comments_editable);
  row.comment_view.view.get_accessible()->set_description(name);
  make_controls(row, name, options_.rotation && ispicture(row.name));
  row.info_label.set_selectable(true);
  row.info_label.set_xalign(0);
  row.info_label.set_yalign(0);
  // A long caption line wraps inside its column rather than widening it.
  row.info_label.set_line_wrap(true);
  row.info_label.set_line_wrap_mode(Pango::WRAP_WORD_CHAR);

  // The button takes its picture's room (a sound's, 32 x 32) in the middle
  // of its cell, not the cell; a column narrower than the picture crops it
  // rather than widening (and the dialog with it).
  row.picture.let_crop();
  row.picture.set_halign(Gtk::ALIGN_CENTER);
  row.picture.set_valign(Gtk::ALIGN_CENTER);
  const std::vector<Gtk::Widget*> row_cells = cells(index);
  for (size_t r = 0; r < row_cells.size(); ++r) {
    // The comment fills its cell but does not widen the column.
    row_cells[r]->set_hexpand(r != 2);
    row_cells[r]->set_vexpand(true);
  }

  row.picture.signal_clicked().connect(sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_picture), index));
  row.good.signal_toggled().connect(sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_mark), index, mark_t::good));
  row.normal.signal_toggled().connect(
      sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_mark), index, mark_t::normal));
  row.fail.signal_toggled().connect(sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_mark), index, mark_t::fail));
  for (size_t f = 0; f < 5; ++f)
    row.flags[f].signal_toggled().connect(sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_flag), index, f));
  row.rotate_check.signal_toggled().connect(
      sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_is_rotate), index));
  row.angle.signal_value_changed().connect(sigc::bind(sigc::mem_fun(*this, &picture_list_t::button_rotate), index));
  refresh(index);
  return row_cells;
}

std::vector<Gtk::Widget*> picture_list_t::cells(size_t index) {
  picture_row_t& row = *rows[index];
  return {&row.picture, &row.name_label, &row.comment_view, &row.mark_box, &row.flag_box, &row.info_label};
}

std::uint64_t picture_list_t::turn_of(const picture_row_t& row) const {
  if (!options_.rotation || !ispicture(row.name)) return 0;
  libutils::report_log_t log = console_log();
  return angle_code(row.angle.get_value_as_int(), row.name, log);
}

void picture_list_t::forget_picture(size_t index) {
  rows[index]->picture.forget();
  rows[index]->has_thumbnail = false;
}

void picture_list_t::show_picture(thumbnail_loader_t::result_t& result) {
  const size_t index = result.index;
  picture_row_t& row = *rows[index];
  row.info = result.info;
  row.info_label.set_text(text_utf8(row.info));
  if (!result.loaded) {
    if (ispicture(row.name) || ismovie(row.name)) row.picture.reserve(32, 32);
    return;
  }
  row.has_thumbnail = true;
  // What a screen reader says of the picture: its size in pixels.
  row.picture.get_accessible()->set_description(std::to_string(result.image.width) + "x" +
                                                std::to_string(result.image.height));
  const std::uint64_t code = turn_of(row);
  if (code != 0) {
    show_turned(index, code);
    return;
  }
  row.picture.set(result.image);
  row.picture.room(room_.width, room_.height);
}

void picture_list_t::refresh(size_t index) {
  if (index >= rows.size() || !rows[index]) return;
  picture_row_t& row = *rows[index];
  syncing_ = true;
  if (options_.marks && options_.mark_of) {
    const mark_t mark = options_.mark_of(index);
    (mark == mark_t::good ? row.good : mark == mark_t::fail ? row.fail : row.normal).set_active(true);
  }
  if (options_.flag_of) {
    for (size_t f = 0; f < 5; ++f) row.flags[f].set_active(options_.flag_of(index, s_flag_kinds[f]));
  }
  syncing_ = false;
}

void picture_list_t::button_picture(size_t index) {
  const picture_row_t& row = *rows[index];
  if (ispicture(row.name)) {
    run_vexaview(prog_dir_, original_of(row.album, row.name));
  } else if (ismovie(row.name)) {
    libgr::direction2ul_t size;
    std::string duration, rate;
    libutils::report_log_t log = console_log();
    const std::uint64_t level =
        getffshrinklevel(row.album, "original", row.name, size, duration, rate, g_global.shrink_size, log);
    std::string movie;
    row.album.make(movie, "movie" + std::to_string(level), libutils::basename(row.name) + ".mp4");
    run_movie(movie);
  } else if (is_audio(row.name)) {
    run_movie(original_of(row.album, row.name));
  } else {
    return;
  }
  return_to_window(window_);
}

void picture_list_t::button_mark(size_t index, mark_t mark) {
  picture_row_t& row = *rows[index];
  Gtk::RadioButton& button = mark == mark_t::good ? row.good : mark == mark_t::fail ? row.fail : row.normal;
  if (syncing_ || !button.get_active() || !options_.on_mark) return;
  options_.on_mark(index, mark);
  refresh(index);
}

void picture_list_t::button_flag(size_t index, size_t flag) {
  if (syncing_ || !options_.on_flag) return;
  options_.on_flag(index, s_flag_kinds[flag], rows[index]->flags[flag].get_active());
  refresh(index);
}

void picture_list_t::button_is_rotate(size_t index) {
  picture_row_t& row = *rows[index];
  row.angle.set_sensitive(row.rotate_check.get_active());
}

void picture_list_t::button_rotate(size_t index) {
  picture_row_t& row = *rows[index];
  const std::uint64_t code = turn_of(row);
  if (!row.has_thumbnail) return;
  if (code != 0) {
    show_turned(index, code);
    return;
  }
  // Back upright: the row's own picture, which the loader makes again.
  ask_again(index);
}

void picture_list_t::show_turned(size_t index, std::uint64_t code) {
  picture_row_t& row = *rows[index];
  // A turn is made from the original, never on top of an earlier one, so
  // the button shows the original turned.
  libgr::image2d_t upright, turned;
  libutils::report_log_t log = console_log();
  // A picture that cannot be read was reported by the loader.
  if (!load_thumbnail(upright, original_of(row.album, row.name), g_global, log)) return;
  if (!libgr::rotate(code, turned, upright)) {
    libutils::fail(log, row.name, ": no memory to turn its picture", 0, "rotate() fail.");
    return;
  }
  row.picture.set(turned);
}

std::vector<files_t> picture_list_t::selected_files() const {
  std::vector<files_t> files;
  for (size_t i = 0; i < entries_.size(); ++i) {
    std::uint64_t code = 0;
    if (rows[i]) code = turn_of(*rows[i]);
    files.push_back(files_t{entries_[i].name, code});
  }
  return files;
}

std::vector<comment_edit_t> picture_list_t::comments(const std::function<album_t*(size_t row)>& album_of) const {
  std::vector<comment_edit_t> out;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i]) continue;
    picture_row_t& row = *rows[i];
    out.push_back(comment_edit_t{album_of(i), row.name, row.comment, row.comment_view.text()});
  }
  return out;
}

void run_reopening(const std::function<reopened_t()>& make, const std::function<void(int response)>& done) {
  double scroll = 0;
  for (;;) {
    reopened_t opened = make();
    Glib::RefPtr<Gtk::Adjustment> adjustment = opened.scroll;
    sigc::connection restore;
    if (scroll > 0) {
      // Back where the user left it, once the rows reach that far again.
      restore = adjustment->signal_changed().connect([&] {
        if (adjustment->get_upper() - adjustment->get_page_size() < scroll) return;
        adjustment->set_value(scroll);
        restore.disconnect();
      });
    }
    int response;
    do {
      response = opened.dialog->run();
    } while (opened.refused && opened.refused());
    restore.disconnect();
    scroll = adjustment->get_value();
    opened.dialog->hide();
    if (done) done(response);
    if (response != Gtk::RESPONSE_APPLY && !(opened.again && opened.again(response))) break;
  }
}

bool list_album(picture_list_t& list, const path_t& album, const std::string& prog_dir) {
  std::string originals;
  album.make(originals, "original");
  std::list<std::string> names;
  const bool listed = libutils::getfiles(names, originals.c_str());
  std::vector<picture_list_t::entry_t> entries;
  for (const std::string& name : names) entries.push_back({album, name, ""});
  list.fill(std::move(entries), prog_dir);
  return listed;
}

void show_refusal(Gtk::Window& parent, const refusal_t& why) { error_box(parent, why.text()); }

}  // namespace pictora
