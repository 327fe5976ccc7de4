#include "app/editbook.h"

#include <iostream>
#include <memory>
#include <sstream>

#include "app/album.h"
#include "app/albumedit.h"
#include "app/bookedit.h"
#include "app/editalbum.h"
#include "app/goodalbum.h"
#include "app/global.h"
#include "app/html_book.h"
#include "app/launch.h"
#include "app/loopmeter.h"
#include "app/makealbum.h"
#include "app/picturerow.h"
#include "app/makebook.h"
#include "app/wintext.h"

namespace pictora {

namespace {

// The list's columns.
constexpr int col_secret = 0, col_name = 1, col_item = 2, col_count = 3, col_title = 4, col_comment = 5,
              col_remove = 6;

// How far a sub-book's editor stands off its parent's, down and right.
constexpr int sub_book_offset = 48;

std::string message(vexalib::e_message_t n) { return vexalib::getmsg(n); }


}  // namespace

EditBookDialog::EditBookDialog(Gtk::Window& parent, const path_t& book, const std::string& prog_dir,
                               const std::string& prog_name)
    // A sub-book's editor names its book, as the album editor names its album.
    : Gtk::Dialog(book.album.empty()
                      ? msg_utf8(vexalib::msg_edit)
                      : text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_edit), book.album.c_str())),
                  parent, true),
      prog_dir(prog_dir),
      prog_name(prog_name),
      path(book),
      texts(true),
      table(1, 1, false),
      progwin(*this) {
  path.make(book_dir);
  texts.secret_check.set_active(is_secret(path));
  texts.title_entry.set_width_chars(50);
  table.set_row_spacings(2);
  table.set_col_spacings(6);
  scrolled.add(table);

  set_border_width(6);
  Gtk::Box& box = *get_content_area();
  box.set_spacing(4);
  texts.pack_head(box);
  box.pack_start(scrolled);
  texts.pack_last(box);

  add_button(msg_utf8(vexalib::msg_browser), response_browser);
  add_button(msg_utf8(vexalib::msg_new_book), response_make_book);
  add_button(msg_utf8(vexalib::msg_new_album), response_make_album);
  add_button(msg_utf8(vexalib::msg_update_all), response_update_all);
  add_button(Gtk::Stock::OK, Gtk::RESPONSE_OK);
  add_button(Gtk::Stock::APPLY, Gtk::RESPONSE_APPLY);
  add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);

  make_items();
  show_all_children();
  // A sub-book's editor stands off its parent's, so that both are seen.
  fit_dialog(*this, &scrolled, Gtk::RESPONSE_OK, 0, 0,
             dynamic_cast<EditBookDialog*>(&parent) != nullptr ? sub_book_offset : 0);
}

bool EditBookDialog::make_items() {
  table.resize(1, 1);
  items.clear();
  menu_listing_t listing;
  libutils::report_log_t log = console_log();
  const bool listed = read_menu_listing(book_dir, listing, log);
  texts.title_entry.set_text(text_utf8(listing.title));
  texts.head_text.set_text(listing.head);
  texts.last_text.set_text(listing.last);
  if (!listed) return false;

  for (const menu_row_t& row : listing.rows) {
    const int index = static_cast<int>(items.size());
    items.push_back(std::make_unique<item_t>());
    item_t& item = *items.back();
    item.is_album = row.has_viewer();
    item.path = row.path;
    item.name = row.name;
    item.secret = row.secret;
    item.secret_check.set_active(row.secret);
    item.secret_check.get_accessible()->set_name(msg_utf8(vexalib::msg_secret));
    const Glib::ustring name = text_utf8(row.name);
    item.name_entry.set_text(name);
    item.name_entry.set_width_chars(static_cast<int>(name.length()));
    item.name_entry.set_activates_default(true);
    item.item_button.set_label(msg_utf8(item.is_album ? vexalib::msg_pictures : vexalib::msg_edit));
    item.remove_button.set_label(msg_utf8(vexalib::msg_remove));
    item.fill(row);

    attach_cell(table, item.secret_check, col_secret, index);
    attach_cell(table, item.name_entry, col_name, index);
    attach_cell(table, item.item_button, col_item, index);
    attach_cell(table, item.count_label, col_count, index);
    attach_cell(table, item.title_label, col_title, index);
    attach_cell(table, item.comment_label, col_comment, index);
    attach_cell(table, item.remove_button, col_remove, index);
    item.item_button.signal_clicked().connect(sigc::bind(sigc::mem_fun(*this, &EditBookDialog::button_list), index));
    item.remove_button.signal_clicked().connect(
        sigc::bind(sigc::mem_fun(*this, &EditBookDialog::button_remove), index));
  }
  return true;
}

void EditBookDialog::write_book_page() {
  libutils::report_log_t log;
  progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t&, libutils::report_log_t& out) {
        return makehtmlbook(ctx, book_of(path), out);
      },
      log);
  show_job_reports(*this, vexalib::msg_build_failed, progwin, log);
}

void EditBookDialog::button_list(int index) {
  const std::string name = items[static_cast<size_t>(index)]->name;
  const path_t row{"", book_dir, name};
  const auto after = [this](int response) {
    if (response == Gtk::RESPONSE_OK || response == Gtk::RESPONSE_APPLY) write_book_page();
  };
  switch (row_dialog(book_dir, name, row_opener_t::book_editor)) {
    case row_dialog_t::goodpicks:
    case row_dialog_t::bestbook:
      run_collection(*this, row, prog_dir, name == s_goodpicks_dir, collection_kind(name), true, after);
      break;
    case row_dialog_t::album:
      edit_album(*this, row, prog_dir, after);
      break;
    case row_dialog_t::book:
      edit_book(*this, row, prog_dir, prog_name, after);
      break;
  }
  // Not from inside the handler of a button that the rebuild destroys.
  Glib::signal_idle().connect_once([this] {
    make_items();
    show_all_children();
  });
}

void EditBookDialog::button_remove(int index) {
  const item_t& item = *items[static_cast<size_t>(index)];
  const std::string text = message(vexalib::msg_remove) + "\n" + item.path;
  if (!confirm(*this, message(vexalib::msg_remove) + " (1/2)", text) ||
      !confirm(*this, message(vexalib::msg_remove) + " (2/2)", text))
    return;
  refusal_t why;
  const std::string name = item.name;
  libutils::report_log_t log;
  const bool removed = progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t&, libutils::report_log_t& out) {
        return remove_row(ctx, path, name, why, out);
      },
      log);
  if (!removed) {
    error_box(*this, why.text());
    return;
  }
  show_job_reports(*this, vexalib::msg_build_failed, progwin, log);
  make_items();
  show_all_children();
}

void EditBookDialog::on_response(int id) {
  Gtk::Dialog::on_response(id);
  switch (id) {
    case response_browser:
      run_browser(book_dir);
      break;
    case response_make_book:
      make_book();
      break;
    case response_make_album:
      make_album();
      break;
    case response_update_all:
    case Gtk::RESPONSE_OK:
    case Gtk::RESPONSE_APPLY:
      save(id == response_update_all);
      break;
    default:
      break;
  }
}

void EditBookDialog::make_book() {
  MakeBookDialog dialog(*this, path);
  for (;;) {
    const int response = dialog.run();
    if (response == Gtk::RESPONSE_CANCEL || response == Gtk::RESPONSE_DELETE_EVENT) break;
    const bool made = !dialog.made_title.empty();
    if (response == Gtk::RESPONSE_OK && made) {
      make_items();
      show_all_children();
      break;
    }
    if ((response == Gtk::RESPONSE_OK || response == Gtk::RESPONSE_APPLY) && !made)
      error_box(dialog, message(vexalib::msg_no_title));
  }
}

void EditBookDialog::make_album() {
  loop_mark("album dialog asked");
  MakeAlbumDialog dialog(*this, g_global.from, book_dir, prog_name);
  ProgWin progress(dialog);
  for (;;) {
    const int response = dialog.run();
    if (response == Gtk::RESPONSE_CANCEL || response == Gtk::RESPONSE_DELETE_EVENT) break;
    if (response != Gtk::RESPONSE_OK) continue;
    album_request_t request = dialog.request();
    refusal_t why;
    if (!check_album(request, false, why)) {
      if (!why.question) {
        error_box(dialog, why.text());
        continue;
      }
      if (!ask(dialog, why.text())) continue;
      request.replace = true;
      if (!check_album(request, true, why)) {
        error_box(dialog, why.text());
        continue;
      }
    }
    progress.show();
    loop_mark("build started");
    libutils::report_log_t log;
    const bool made = progress.work(
        [&](const build_context_t& ctx, batch_progress_t& stages, libutils::report_log_t& out) {
          return pictora::make_album(ctx, request, stages, why, out);
        },
        log);
    loop_mark("build ended");
    progress.hide();
    // Refused before anything was made: the dialog stays as the user left it.
    if (!made && why.untouched) {
      error_box(dialog, why.text());
      continue;
    }
    // An album was made, whole or in part: the reports say what is missing.
    show_job_reports(dialog, why.message, progress, log);
    hide();
    make_items();
    show_all_children();
    break;
  }
  dialog.stop_loading();
}

void EditBookDialog::save(bool update_all) {
  const texts_edit_t typed = texts.read();
  if (typed.title.empty()) {
    error_box(*this, message(vexalib::msg_no_title));
    refused = true;
  } else {
    libutils::report_log_t log;
    if (!savecommenttxt(path, typed.title, typed.head, typed.last, log)) {
      error_box(*this, message(vexalib::msg_comments_not_saved) + "\n\n" + log.text());
      refused = true;
    }
  }
  std::vector<row_change_t> rows;
  for (const auto& item : items)
    rows.push_back(row_change_t{item->name, text_locale(item->name_entry.get_text()), item->secret,
                                item->secret_check.get_active()});
  libutils::report_log_t saving;
  const bool saved = progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t& stages, libutils::report_log_t& out) {
        return save_book(ctx, path, rows, typed.secret, stages, out);
      },
      saving);
  // A row that could not be renamed, a page that failed: the user sees it.
  show_job_reports(*this, vexalib::msg_build_failed, progwin, saving);
  if (saved) {
    make_items();
    show_all_children();
  }
  // What the user typed stays in the fields when it was not saved.
  if (refused) {
    texts.title_entry.set_text(text_utf8(typed.title));
    texts.head_text.set_text(typed.head);
    texts.last_text.set_text(typed.last);
  }
  if (!saved || !update_all) return;

  libutils::report_log_t log;
  progwin.show_while(
      [&](const build_context_t& ctx, batch_progress_t& stages, libutils::report_log_t& out) {
        pictora::update_all(ctx, path, out, stages);
        return true;
      },
      log);
  show_job_reports(*this, vexalib::msg_update_all, progwin, log);
  if (!log.text().empty() || progwin.stopped()) refused = true;
}

void edit_book(Gtk::Window& parent, const path_t& book, const std::string& prog_dir, const std::string& prog_name,
               const std::function<void(int response)>& after_pass) {
  run_reopening(
      [&] {
        auto dialog = std::make_unique<EditBookDialog>(parent, book, prog_dir, prog_name);
        EditBookDialog* d = dialog.get();
        // The editor comes back fresh after its own buttons (new album, new
        // book, the updates), as it was after an error box.
        const auto again = [](int response) { return response >= 0 && response <= 3; };
        return reopened_t{std::move(dialog), d->scrolled.get_vadjustment(), [d] { return d->take_refusal(); }, again};
      },
      after_pass);
}

}  // namespace pictora
