#include "app/menu_win.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "app/album.h"
#include "app/bookedit.h"
#include "app/editbook.h"
#include "app/exif.h"
#include "app/global.h"
#include "app/globaloption.h"
#include "app/launch.h"
#include "app/path.h"
#include "app/viewbook.h"
#include "app/wintext.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

// Row spans of the list's columns; column 1 stays empty.
constexpr int col_name = 0, col_item = 2, col_viewer = 3, col_count = 4, col_title = 5, col_comment = 6;

}  // namespace

MenuWindow::MenuWindow(int argc, char** argv)
    : argc(argc),
      argv(argv),
      prog_dir(libutils::dirname(argv[0])),
      prog_name(libutils::basename2(argv[0])),
      catalogue_name(libutils::basename(argv[0])),
      vbox(false, 0),
      table(1, 1, false),
      button_box(false, 0) {
  // Started through PATH: the program's own directory holds the catalogues
  // of an uninstalled build.
  if (prog_dir.empty()) prog_dir = libutils::dirname(libutils::platform::executable_path());
  libutils::report_log_t log = console_log();
  catalogue_dir = libutils::dirname(vexalib::init_message(prog_dir.c_str(), catalogue_name.c_str(), log));

  // The settings file is the user's own (settings_dir), not one beside the
  // catalogue: neither the program's nor the catalogue's directory is
  // per-user or writable here.
  if (!loadini(settings_dir(), prog_name, log)) {
    on_btn_clicked_optionsetting();
    if (!loadini(settings_dir(), prog_name, log)) std::exit(0);
  }
  initexif(prog_dir.c_str(), prog_name.c_str());

  if (argc > 1) {
    if (std::string(argv[1]) == "-h" || argc != 3) {
      usage(argv[0]);
      std::exit(0);
    }
    g_global.from = argv[1];
    g_global.album = argv[2];
  }

  table.set_row_spacings(2);
  // A little room between the columns, so that a count never runs into the
  // title beside it.
  table.set_col_spacings(6);
  table.signal_size_allocate().connect(sigc::mem_fun(*this, &MenuWindow::table_size_allocate));
  head_text.set_editable(false);
  last_text.set_editable(false);
  scrolled.add(table);
  vbox.pack_start(title_label, Gtk::PACK_EXPAND_WIDGET);
  vbox.pack_start(head_text, Gtk::PACK_EXPAND_WIDGET);
  vbox.pack_start(scrolled, Gtk::PACK_EXPAND_WIDGET);
  make_items();
  vbox.pack_start(last_text, Gtk::PACK_EXPAND_WIDGET);
  vbox.pack_start(button_box, Gtk::PACK_EXPAND_WIDGET);

  browser_button.set_label(msg_utf8(vexalib::msg_browser));
  setting_button.set_label(msg_utf8(vexalib::msg_settings));
  edit_button.set_label(msg_utf8(vexalib::msg_edit));
  close_button.set_label(msg_utf8(vexalib::msg_close));
  set_title(text_utf8(vexalib::make_title(vexalib::getmsg(vexalib::msg_program),
                                          vexalib::getmsg(vexalib::msg_books_and_albums))));

  browser_button.signal_clicked().connect(sigc::mem_fun(*this, &MenuWindow::on_btn_clicked_run_browser));
  setting_button.signal_clicked().connect(sigc::mem_fun(*this, &MenuWindow::on_btn_clicked_optionsetting));
  edit_button.signal_clicked().connect(sigc::mem_fun(*this, &MenuWindow::on_btn_clicked_edit));
  close_button.signal_clicked().connect(sigc::mem_fun(*this, &MenuWindow::on_btn_clicked_close));
  // Packed from the right edge: browser, settings, edit, close read left to right.
  button_box.pack_end(close_button, Gtk::PACK_SHRINK);
  button_box.pack_end(edit_button, Gtk::PACK_SHRINK);
  button_box.pack_end(setting_button, Gtk::PACK_SHRINK);
  button_box.pack_end(browser_button, Gtk::PACK_SHRINK);

  add(vbox);
  show_all_children();
}

void MenuWindow::usage(const std::string& name) {
  std::cout << "usage: " << name << " [-h] [<from dir> <to dir>]" << std::endl;
}

bool MenuWindow::make_items() {
  base_dir = g_global.album + path_separator;
  return fill_book_rows(g_global.album, table, items, title_label, head_text, last_text,
                        [this](int i) { on_btn_clicked_itembutton(i); }, [this](int i) { on_btn_clicked_vexaview(i); });
}

bool fill_book_rows(const std::string& book_dir, Gtk::Table& table, std::vector<std::unique_ptr<MenuWindow::item_t>>& items,
                    Gtk::Label& title, Gtk::TextView& head, Gtk::TextView& last,
                    const std::function<void(int)>& on_item, const std::function<void(int)>& on_viewer) {
  table.resize(1, 1);
  items.clear();

  menu_listing_t listing;
  libutils::report_log_t log = console_log();
  const bool listed = read_menu_listing(book_dir, listing, log);
  title.set_text(text_utf8(listing.title));
  head.get_buffer()->set_text(text_utf8(listing.head));
  last.get_buffer()->set_text(text_utf8(listing.last));
  if (!listed) return false;

  for (const menu_row_t& row : listing.rows) {
    const int index = static_cast<int>(items.size());
    items.push_back(std::make_unique<MenuWindow::item_t>());
    MenuWindow::item_t& item = *items.back();
    item.is_album = row.is_album;
    item.path = row.path;
    item.name = row.name;
    const Glib::ustring name = text_utf8(row.name);
    item.name_label.set_text(name);
    item.name_label.set_width_chars(static_cast<int>(name.length()));
    item.name_label.set_selectable(true);
    item.fill(row);

    attach_cell(table, item.name_label, col_name, index);
    attach_cell(table, item.item_button, col_item, index);
    item.item_button.signal_clicked().connect([on_item, index] { on_item(index); });
    if (row.has_viewer()) {
      item.item_button.set_label(msg_utf8(vexalib::msg_pictures));
      item.vexaview_button.set_label(msg_utf8(vexalib::msg_viewer));
      attach_cell(table, item.vexaview_button, col_viewer, index);
      item.vexaview_button.signal_clicked().connect([on_viewer, index] { on_viewer(index); });
    } else {
      item.item_button.set_label(msg_utf8(vexalib::msg_view));
    }
    attach_cell(table, item.count_label, col_count, index);
    attach_cell(table, item.title_label, col_title, index);
    attach_cell(table, item.comment_label, col_comment, index);
  }
  return true;
}

void MenuWindow::table_size_allocate(Gdk::Rectangle& rect) { fit_list(scrolled, rect); }

void MenuWindow::on_btn_clicked_run_browser() { run_browser(g_global.album); }

void MenuWindow::on_btn_clicked_optionsetting() {
  GlobalOptionDialog dialog(*this, prog_dir.c_str(), prog_name.c_str());
  for (;;) {
    const int response = dialog.run();
    if (response == Gtk::RESPONSE_CANCEL || response == Gtk::RESPONSE_OK ||
        response == Gtk::RESPONSE_DELETE_EVENT)
      break;
  }
  make_items();
  show_all_children();
}

void MenuWindow::on_btn_clicked_close() { std::exit(0); }

void MenuWindow::on_btn_clicked_edit() {
  edit_book(*this, path_t{"", g_global.album, ""}, prog_dir, prog_name);
  make_items();
  show_all_children();
  return_to_window(*this);
}

void MenuWindow::on_btn_clicked_itembutton(int index) {
  view_row(*this, g_global.album, items[static_cast<size_t>(index)]->name, prog_dir, row_opener_t::main_window);
  // Not from inside the handler of a button that the rebuild destroys.
  Glib::signal_idle().connect_once([this] {
    make_items();
    show_all_children();
  });
}

void MenuWindow::on_btn_clicked_vexaview(int index) {
  libutils::report_log_t log = console_log();
  run_vexaview(prog_dir, row_viewer_arguments(g_global.album, items[static_cast<size_t>(index)]->name, log));
  return_to_window(*this);
}

}  // namespace pictora
