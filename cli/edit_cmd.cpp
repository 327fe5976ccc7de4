// pictora-cli texts, comment, mark and remove: what the album and book
// editors change, saved and followed by the pages as their OK does.
#include <sys/stat.h>

#include <functional>
#include <iostream>
#include <sstream>

#include "app/album.h"
#include "app/albumedit.h"
#include "app/bookedit.h"
#include "cli/album_args.h"
#include "cli/cli.h"
#include "cli/work.h"
#include "libutils/futil.h"
#include "vexalib/message.h"

namespace pictora::cli {

namespace {

int run_texts(context_t& ctx, const std::vector<std::string>& args);
int run_comment(context_t& ctx, const std::vector<std::string>& args);
int run_mark(context_t& ctx, const std::vector<std::string>& args);
int run_remove(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

extern const command_t texts_command = {
    "texts",
    "set the title, comments and secret mark of an album or a book",
    "Usage: pictora-cli texts DIR [--title TEXT] [--head TEXT] [--last TEXT]\n"
    "                  [--secret|--public]\n"
    "\n"
    "Saves the title, the head comment and the closing comment of the album\n"
    "or book DIR into DIR/txt/head.txt and DIR/txt/last.txt, and marks it\n"
    "secret or not; what is not given stays as it is. Then, as the editors'\n"
    "OK does, an album gets its pages and its book's index page written\n"
    "anew, a book its collection \"_Best\" and its index page. An empty title\n"
    "is refused.\n",
    run_texts,
};

extern const command_t comment_command = {
    "comment",
    "set or delete the comment of a picture, movie or sound",
    "Usage: pictora-cli comment ALBUM_DIR NAME TEXT\n"
    "\n"
    "Saves TEXT as the comment of the file NAME of the album's \"original\"\n"
    "(an empty TEXT deletes the comment), then writes the album's pages, the\n"
    "collection \"_Best\" when NAME is good, and the book's index page.\n",
    run_comment,
};

extern const command_t mark_command = {
    "mark",
    "mark pictures good, normal or fail and set or clear their flags",
    "Usage: pictora-cli mark ALBUM_DIR NAME... [--good|--normal|--fail]\n"
    "                  [--best|--apply|--submit|--print|--upload]...\n"
    "                  [--no-best|--no-apply|--no-submit|--no-print|--no-upload]...\n"
    "\n"
    "The five flags are set by their names and cleared by --no-. The changes are made to\n"
    "each NAME of the album's \"original\" in the order given, as clicks in\n"
    "the album editor: a flag makes a picture good, --normal and --fail clear\n"
    "its flags. Then the lists are saved, the album is brought up to date,\n"
    "the collection \"_Best\" is written when a list changed, and the book's\n"
    "index page.\n",
    run_mark,
};

extern const command_t remove_command = {
    "remove",
    "take files out of an album, moving their originals to a folder",
    "Usage: pictora-cli remove ALBUM_DIR NAME... --to DIR\n"
    "\n"
    "Moves each file NAME of the album's \"original\" into the folder DIR\n"
    "(made when missing; never over a file of the same name, never deleted),\n"
    "takes away its comment, its place in every list, its size levels,\n"
    "thumbnail, movie copies and zoom pages, and writes the album's pages and\n"
    "its book's index page anew. Refused, nothing moved: a NAME that is no\n"
    "file of the album, a file NAME already in DIR, a DIR inside the album,\n"
    "an album another build or update is working in.\n",
    run_remove,
};

namespace {

bool is_album(const std::string& dir) {
  struct stat st;
  return ::stat((dir + "/original").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The names given, each a file of the album's "original"; "" when they
// are, else the complaint.
std::string unknown_file(const path_t& album, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::string path;
    album.make(path, "original", name);
    struct stat st;
    if (name.find('/') != std::string::npos || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      return path + ": no file of the album";
  }
  return "";
}

// Runs the album editor's OK over what change left in marks, texts and
// comments, and reports as the editor's boxes would.
int save_album(work_t& work, const std::string& dir, album_marks_t& marks,
               const texts_edit_t& texts, const std::vector<comment_edit_t>& comments) {
  batch_progress_t progress;
  attach_bars(work.bars, progress, "update");
  refusal_t why;
  const bool ok = edit_album(work.build, marks, texts, comments, progress, why, work.log);
  if (!ok && !why.detail.empty() && !work.build.stopped()) {
    work.bars.end_line();
    std::istringstream lines(why.text());
    for (std::string line; std::getline(lines, line);) std::cerr << "pictora-cli: " << line << "\n";
  }
  return work.status(ok, dir);
}

int run_texts(context_t& ctx, const std::vector<std::string>& args) {
  std::string dir;
  texts_edit_t given;
  bool title = false, head = false, last = false;
  int secret = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--title" || arg == "--head" || arg == "--last") {
      if (i + 1 == args.size()) return usage_error(&texts_command, arg + " needs a value");
      (arg == "--title" ? given.title : arg == "--head" ? given.head : given.last) = args[++i];
      (arg == "--title" ? title : arg == "--head" ? head : last) = true;
    } else if (arg == "--secret" || arg == "--public") {
      secret = arg == "--secret";
    } else if (arg.compare(0, 2, "--") == 0 || !dir.empty()) {
      return usage_error(&texts_command, "unknown argument: " + arg);
    } else {
      dir = without_trailing_slashes(arg);
    }
  }
  if (dir.empty()) return usage_error(&texts_command, "texts needs a directory");
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::cerr << "pictora-cli: " << dir << ": no album or book here.\n";
    return exit_usage;
  }
  const bool album = is_album(dir);
  const path_t path = album ? album_path(dir) : book_path(dir);
  if (path.album.compare(0, 1, "_") == 0) {
    std::cerr << "pictora-cli: " << dir << ": a collection; its texts are edited in the window program.\n";
    return exit_usage;
  }
  work_t work(ctx, 0);
  texts_edit_t texts = load_texts(path, work.log);
  if (title) texts.title = given.title;
  if (head) texts.head = given.head;
  if (last) texts.last = given.last;
  if (secret >= 0) texts.secret = secret == 1;
  if (texts.title.empty()) return refused(refusal_t{vexalib::msg_no_title, "", false, true}, path);
  if (album) {
    album_marks_t marks;
    marks.load(path, work.log);
    return save_album(work, dir, marks, texts, {});
  }
  // The book editor's OK with no row changed.
  if (!savecommenttxt(path, texts.title, texts.head, texts.last, work.log)) {
    std::cerr << "pictora-cli: " << vexalib::getmsg(vexalib::msg_comments_not_saved) << "\n";
    return work.status(false, dir);
  }
  batch_progress_t progress;
  attach_bars(work.bars, progress, "");
  return work.status(save_book(work.build, path, {}, texts.secret, progress, work.log), dir);
}

int run_comment(context_t& ctx, const std::vector<std::string>& args) {
  if (args.size() != 3) return usage_error(&comment_command, "comment needs ALBUM_DIR, NAME and TEXT");
  const std::string dir = without_trailing_slashes(args[0]);
  const path_t album = album_path(dir);
  const std::string complaint = unknown_file(album, {args[1]});
  if (!complaint.empty()) return usage_error(&comment_command, complaint);
  work_t work(ctx, 0);
  album_marks_t marks;
  marks.load(album, work.log);
  comment_edit_t edit{&marks.record, args[1], "", args[2]};
  loadphotocomment(edit.loaded, album, args[1], work.log);
  return save_album(work, dir, marks, load_texts(album, work.log), {edit});
}

int run_mark(context_t& ctx, const std::vector<std::string>& args) {
  if (args.empty()) return usage_error(&mark_command, "mark needs ALBUM_DIR and a NAME");
  const std::string dir = without_trailing_slashes(args[0]);
  const path_t album = album_path(dir);
  std::vector<std::string> names, changes;
  for (size_t i = 1; i < args.size(); ++i) (args[i].compare(0, 2, "--") == 0 ? changes : names).push_back(args[i]);
  if (names.empty() || changes.empty()) return usage_error(&mark_command, "mark needs a NAME and a change");
  // Each change as the album editor's button of the same name.
  std::vector<std::function<void(album_marks_t&, const std::string&)>> clicks;
  for (const std::string& change : changes) {
    const std::string word = change.substr(change.compare(0, 5, "--no-") == 0 ? 5 : 2);
    const bool on = change.compare(0, 5, "--no-") != 0;
    const mark_t marks[] = {mark_t::good, mark_t::normal, mark_t::fail};
    const char* const mark_words[] = {"good", "normal", "fail"};
    bool known = false;
    for (int m = 0; m < 3 && on; ++m) {
      if (word != mark_words[m]) continue;
      clicks.push_back([mark = marks[m]](album_marks_t& a, const std::string& name) { a.set_mark(name, mark); });
      known = true;
    }
    for (e_bestname_t kind : s_flag_kinds) {
      if (word != list_kind(kind).word) continue;
      clicks.push_back([kind, on](album_marks_t& a, const std::string& name) { a.set_flag(name, kind, on); });
      known = true;
    }
    if (!known) return usage_error(&mark_command, "unknown change: " + change);
  }
  const std::string complaint = unknown_file(album, names);
  if (!complaint.empty()) return usage_error(&mark_command, complaint);
  work_t work(ctx, 0);
  album_marks_t marks;
  marks.load(album, work.log);
  for (const std::string& name : names)
    for (const auto& click : clicks) click(marks, name);
  return save_album(work, dir, marks, load_texts(album, work.log), {});
}

int run_remove(context_t& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> names;
  std::string to;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--to") {
      if (i + 1 == args.size() || args[i + 1].empty()) return usage_error(&remove_command, "--to needs a folder");
      to = args[++i];
    } else if (args[i].compare(0, 2, "--") == 0) {
      return usage_error(&remove_command, "unknown option: " + args[i]);
    } else {
      names.push_back(args[i]);
    }
  }
  if (names.size() < 2) return usage_error(&remove_command, "remove needs ALBUM_DIR and a NAME");
  if (to.empty()) return usage_error(&remove_command, "remove needs --to DIR, the folder the originals go to");
  const std::string dir = without_trailing_slashes(names.front());
  names.erase(names.begin());
  const path_t album = album_path(dir);
  if (!is_album(dir)) {
    std::cerr << "pictora-cli: " << dir << ": no album here.\n";
    return exit_usage;
  }
  work_t work(ctx, 0);
  batch_progress_t progress;
  attach_bars(work.bars, progress, "update");
  refusal_t why;
  const bool ok = remove_from_album(work.build, album, names, to, progress, why, work.log);
  if (!ok && why.untouched) return refused(why, album);
  return work.status(ok, dir);
}

}  // namespace

}  // namespace pictora::cli
