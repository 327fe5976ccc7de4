// pictora-cli make-album, update, book-page, best and best-book: building
// albums and keeping book trees and their collections up to date.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <list>
#include <sstream>

#include "app/album.h"
#include "app/albumedit.h"
#include "app/batchupdate.h"
#include "app/bookedit.h"
#include "app/html_best.h"
#include "app/html_book.h"
#include "app/import.h"
#include "app/progress.h"
#include "app/shrink.h"
#include "app/update.h"
#include "app/plan.h"
#include "cli/album_args.h"
#include "cli/cli.h"
#include "cli/progress.h"
#include "cli/work.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "vexalib/message.h"

namespace pictora::cli {

namespace {

int run_make_album(context_t& ctx, const std::vector<std::string>& args);
int run_add(context_t& ctx, const std::vector<std::string>& args);
int run_update(context_t& ctx, const std::vector<std::string>& args);
int run_book_page(context_t& ctx, const std::vector<std::string>& args);
int run_best(context_t& ctx, const std::vector<std::string>& args);
int run_best_book(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

#define JOBS_HELP                                                               \
  "\n"                                                                          \
  "--jobs N works on N pictures at once (1 to 64; the default is the number\n" \
  "of processors this process may use). The result is the same for any N.\n"

#define DRY_RUN_HELP                                                             \
  "\n"                                                                           \
  "--dry-run prints what would be copied, made and written, one step a line,\n" \
  "after the same checks, and changes nothing.\n"

extern const command_t make_album_command = {
    "make-album",
    "build a new album from a camera folder",
    "Usage: pictora-cli make-album SRC_DIR ALBUM_DIR [--pick NAME[:DEGREES]]...\n"
    "                  --title TEXT [--head TEXT] [--last TEXT] [--secret|--public]\n"
    "                  [--force] [--jobs N] [--dry-run]\n"
    "\n"
    "Creates ALBUM_DIR, saves its title and comments, marks it secret or not,\n"
    "imports the picked files of SRC_DIR (all of them, in listing order, when\n"
    "none is picked) turned by DEGREES (0, 90, 180 or 270) clockwise, builds\n"
    "the size levels, thumbnails, movie conversions and every page, and then\n"
    "the index page of ALBUM_DIR's book. The album's name is the whole last\n"
    "component of ALBUM_DIR, dots included.\n"
    "\n"
    "Pictures, movies and sounds go to ALBUM_DIR/original, other files to\n"
    "ALBUM_DIR/txt; a file whose name is one of the album's own texts there\n"
    "(head.txt, best.txt, secret.txt, a picture's comment, ...) goes to\n"
    "ALBUM_DIR/txt/from-card instead, so that it changes nothing.\n"
    "\n"
    "Refused before anything is copied: an existing ALBUM_DIR unless --force\n"
    "is given; an album another build or update is working in; a SRC_DIR or\n"
    "a picked file inside ALBUM_DIR, whatever path leads there; two files\n"
    "that would share their pages or movie copies (x.jpg and x.JPG, y.MOV\n"
    "and y.mp4), also with the files already in ALBUM_DIR; a new file whose\n"
    "comment a text already in ALBUM_DIR/txt would become. Entries that are\n"
    "no regular files (pipes, devices, folders) are skipped.\n"
    "\n"
    "With --force into an existing album, the title, comments and secret mark\n"
    "not given are kept as the album has them, and so are its lists and the\n"
    "comments of its pictures.\n"
    DRY_RUN_HELP
    JOBS_HELP,
    run_make_album,
};

extern const command_t add_command = {
    "add",
    "add the files of a camera folder to an existing album",
    "Usage: pictora-cli add SRC_DIR ALBUM_DIR [--pick NAME[:DEGREES]]... [--jobs N]\n"
    "                  [--dry-run]\n"
    "\n"
    "Imports the picked files of SRC_DIR (all of them when none is picked)\n"
    "into the album ALBUM_DIR as make-album does, and brings the album and its\n"
    "book's index page up to date. The album keeps its title, comments,\n"
    "secret mark, lists and the comments of its pictures; a file already in\n"
    "the album under the same name is replaced by the one picked. Refused as\n"
    "make-album refuses, and when ALBUM_DIR is no album.\n"
    DRY_RUN_HELP
    JOBS_HELP,
    run_add,
};

extern const command_t update_command = {
    "update",
    "bring a book tree, an album or a collection up to date",
    "Usage: pictora-cli update DIR [--jobs N] [--dry-run]\n"
    "\n"
    "For a book, every directory in it (albums, sub-books, collections) in\n"
    "ascending order, then the book's index page; for an album or a\n"
    "collection (a name beginning with \"_\"), that directory alone. Missing\n"
    "or outdated levels are made, pages are written anew, and a picture whose\n"
    "original is gone leaves them with its levels; an album whose\n"
    "build was interrupted gets that build finished. The failures are\n"
    "printed at the end; the exit status is then 1.\n"
    DRY_RUN_HELP
    JOBS_HELP,
    run_update,
};

extern const command_t book_page_command = {
    "book-page",
    "write the index page of a book",
    "Usage: pictora-cli book-page DIR\n"
    "\n"
    "Writes DIR/index.html: the book's title and comments and one row per\n"
    "album or sub-book that is not secret, newest name first.\n",
    run_book_page,
};

extern const command_t best_command = {
    "best",
    "gather the good pictures of a book's albums",
    "Usage: pictora-cli best DIR\n"
    "\n"
    "Writes the collection DIR/_Best: every good picture, movie and sound of\n"
    "the albums directly in the book DIR, linked, not copied, then the index\n"
    "page of DIR, which lists it.\n",
    run_best,
};

extern const command_t best_book_command = {
    "best-book",
    "gather one classification across a whole book tree",
    "Usage: pictora-cli best-book DIR KIND [--jobs N]\n"
    "\n"
    "Writes the collection of KIND (fail, good, best, apply, submit, print or\n"
    "upload) for the book tree DIR into DIR/_FailBook, DIR/_GoodBook, ...,\n"
    "then the index page of DIR, which lists it.\n"
    JOBS_HELP,
    run_best_book,
};

// A refusal of the book editor's checks, nothing written: the catalogue's
// words and the detail, each on a line of its own. What the catalogue has
// no words for (the camera folder in the album, files that would share
// their pages) is said by the detail alone; an existing album is built
// into with --force.
int refused(const refusal_t& why, const path_t& album) {
  std::string text = why.message == vexalib::msg_build_failed ? why.detail : why.text();
  if (why.message == vexalib::msg_album_exists) {
    std::string dir;
    album.make(dir);
    text += "\n" + dir + ": add --force to build into it.";
  }
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) std::cerr << "pictora-cli: " << line << "\n";
  return exit_usage;
}

std::string without_trailing_slashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

path_t album_path(const std::string& dir) {
  return path_t{"", libutils::folder_parent(dir), libutils::folder_name(dir)};
}

path_t book_path(const std::string& dir) { return path_t{"", without_trailing_slashes(dir), ""}; }

void attach_bars(progress_bars_t& bars, batch_progress_t& progress, const char* first) {
  const char* labels[6] = {first, "shrink", "page", "zoom", "best", "best list"};
  for (int i = 0; i < 6; ++i) bars.attach(progress.stage[i], labels[i]);
}

bool parse_pick(files_t& file, const std::string& pick) {
  const size_t colon = pick.rfind(':');
  file.name = pick.substr(0, colon);
  file.rotation = 0;
  if (colon == std::string::npos) return !file.name.empty();
  const std::string degrees = pick.substr(colon + 1);
  static const char* const turns[] = {"0", "90", "180", "270"};
  for (unsigned i = 0; i < 4; ++i) {
    if (degrees == turns[i]) {
      file.rotation = i;
      return !file.name.empty();
    }
  }
  return false;
}

std::string take_jobs(std::vector<std::string>& args, unsigned& jobs) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--jobs") continue;
    const std::string value = i + 1 < args.size() ? args[i + 1] : "";
    char* end = nullptr;
    errno = 0;
    const unsigned long number = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || value[0] < '0' || value[0] > '9' || *end != '\0' || errno != 0 || number < 1 ||
        number > max_build_jobs)
      return "--jobs needs a number from 1 to " + std::to_string(max_build_jobs) + (value.empty() ? "" : ": " + value);
    jobs = static_cast<unsigned>(number);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return take_jobs(args, jobs);
  }
  return "";
}

bool take_flag(std::vector<std::string>& args, const std::string& option) {
  const auto at = std::find(args.begin(), args.end(), option);
  if (at == args.end()) return false;
  args.erase(at);
  return true;
}

namespace {

struct make_album_args_t {
  std::string source;
  std::string album;
  std::vector<files_t> picks;
  // A text or mark not given is the album's own when it is built into.
  std::string title, head, last;
  bool title_given = false, head_given = false, last_given = false;
  int secret = -1;  // -1 not given, 0 --public, 1 --secret
  bool force = false;
  bool dry_run = false;
};

// Fills a from the words; "" when they are well formed, else the complaint.
// texts: whether the texts, the secret mark and --force may be given.
std::string parse_make_album(make_album_args_t& a, const std::vector<std::string>& args, const char* name,
                             bool texts) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    const bool text = texts && (arg == "--title" || arg == "--head" || arg == "--last");
    if (arg == "--pick" || text) {
      if (!has_value) return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--pick") {
        files_t file;
        if (!parse_pick(file, value)) return "--pick needs NAME or NAME:DEGREES (0, 90, 180, 270): " + value;
        a.picks.push_back(file);
      } else {
        (arg == "--title" ? a.title : arg == "--head" ? a.head : a.last) = value;
        (arg == "--title" ? a.title_given : arg == "--head" ? a.head_given : a.last_given) = true;
      }
    } else if (texts && (arg == "--secret" || arg == "--public")) {
      a.secret = arg == "--secret";
    } else if (texts && arg == "--force") {
      a.force = true;
    } else if (arg == "--dry-run") {
      a.dry_run = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return "unknown option: " + arg;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return std::string(name) + " needs SRC_DIR and ALBUM_DIR";
  a.source = positional[0];
  a.album = positional[1];
  return "";
}

// make-album and add: the book editor's checks and build, into an existing
// album keeping what was not given.
int build_album(context_t& ctx, const command_t& command, const std::vector<std::string>& words, bool adding) {
  std::vector<std::string> args = words;
  unsigned jobs = 0;
  std::string complaint = take_jobs(args, jobs);
  if (!complaint.empty()) return usage_error(&command, complaint);
  make_album_args_t a;
  complaint = parse_make_album(a, args, command.name, !adding);
  if (!complaint.empty()) return usage_error(&command, complaint);

  // A camera folder that cannot be listed is said to be so, with the
  // system's reason, rather than found empty.
  std::list<std::string> names;
  if (!a.source.empty() && !libutils::getfiles(names, a.source.c_str())) {
    std::cerr << "pictora-cli: " << a.source << ": the camera folder cannot be read: "
              << std::strerror(errno) << "\n";
    return exit_usage;
  }
  if (a.picks.empty()) {
    for (const std::string& name : names) a.picks.push_back(files_t{name, 0});
  }
  album_request_t request;
  request.source = a.source;
  request.target = album_path(a.album);
  std::string dir;
  request.target.make(dir);
  if (adding && !libutils::exists(dir + "/original")) {
    std::cerr << "pictora-cli: " << dir << ": no album here; make-album builds a new one.\n";
    return exit_usage;
  }
  work_t work(ctx, jobs);
  // Building into an album keeps its texts and mark unless given anew.
  texts_edit_t texts;
  if (adding || a.force) texts = load_texts(request.target, work.log);
  request.title = a.title_given ? a.title : texts.title;
  request.head = a.head_given ? a.head : texts.head;
  request.last = a.last_given ? a.last : texts.last;
  request.secret = a.secret < 0 ? texts.secret : a.secret == 1;
  // Pipes, devices and folders are skipped, each with a line.
  request.files = regular_files(a.source, a.picks, work.log);
  request.replace = adding || a.force;
  // The checks, their order and the making are the book editor's.
  refusal_t why;
  if (!check_album(request, request.replace, why)) return refused(why, request.target);
  if (a.dry_run) {
    for (const std::string& line : plan_make_album(request)) std::cout << line << "\n";
    return exit_ok;
  }
  batch_progress_t progress;
  attach_bars(work.bars, progress, "copy");
  const bool made = make_album(work.build, request, progress, why, work.log);
  if (!made && why.untouched) return refused(why, request.target);
  if (!made && !work.build.stopped()) {
    work.bars.end_line();
    std::cerr << "pictora-cli: " << vexalib::getmsg(why.message) << "\n";
  }
  return work.status(made, a.album);
}

int run_make_album(context_t& ctx, const std::vector<std::string>& words) {
  return build_album(ctx, make_album_command, words, false);
}

int run_add(context_t& ctx, const std::vector<std::string>& words) {
  return build_album(ctx, add_command, words, true);
}

int run_update(context_t& ctx, const std::vector<std::string>& words) {
  std::vector<std::string> args = words;
  unsigned jobs = 0;
  const std::string complaint = take_jobs(args, jobs);
  if (!complaint.empty()) return usage_error(&update_command, complaint);
  const bool dry_run = take_flag(args, "--dry-run");
  if (args.size() != 1) return usage_error(&update_command, "update needs one directory");
  const std::string dir = without_trailing_slashes(args[0]);
  const path_t album = album_path(dir);
  const bool whole_book = !libutils::exists(dir + "/original") && album.album[0] != '_';
  if (dry_run) {
    for (const std::string& line : plan_update(whole_book ? book_path(dir) : album)) std::cout << line << "\n";
    return exit_ok;
  }
  work_t work(ctx, jobs);
  batch_progress_t progress;
  attach_bars(work.bars, progress, "update");
  progress.begin_directory = [&work](const std::string& directory) { work.bars.heading(directory); };
  bool ok = true;
  if (!whole_book) {
    ok = batchupdate(work.build, album, work.log, progress);
  } else {
    update_all(work.build, book_path(dir), work.log, progress);
    ok = work.build.stopped() || makehtmlbook(work.build, book_path(dir), work.log);
  }
  return work.status(ok, dir);
}

int run_book_page(context_t& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return usage_error(&book_page_command, "book-page needs one directory");
  work_t work(ctx, 1);
  return work.status(makehtmlbook(work.build, book_path(args[0]), work.log), args[0]);
}

int run_best(context_t& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return usage_error(&best_command, "best needs one directory");
  work_t work(ctx, 1);
  batch_progress_t progress;
  attach_bars(work.bars, progress, "");
  return work.status(makebesthtml(work.build, book_path(args[0]), progress.stage[4], progress.stage[5], work.log),
                     args[0]);
}

int run_best_book(context_t& ctx, const std::vector<std::string>& words) {
  std::vector<std::string> args = words;
  unsigned jobs = 0;
  const std::string complaint = take_jobs(args, jobs);
  if (!complaint.empty()) return usage_error(&best_book_command, complaint);
  if (args.size() != 2) return usage_error(&best_book_command, "best-book needs DIR and KIND");
  for (const list_kind_t& list : s_list_kinds) {
    if (args[1] != list.word) continue;
    work_t work(ctx, jobs);
    batch_progress_t progress;
    attach_bars(work.bars, progress, "");
    return work.status(makebestbookhtml(work.build, book_path(args[0]), list.kind, progress.stage[4],
                                        progress.stage[5], work.log),
                       args[0]);
  }
  return usage_error(&best_book_command, "unknown KIND: " + args[1]);
}

}  // namespace

}  // namespace pictora::cli
