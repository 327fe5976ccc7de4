// Running programs from argument vectors, splitting option settings into
// words, and quoting words for display; checked against the real /bin/sh.
#include "libutils/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace {

using words_t = std::vector<std::string>;

// The words /bin/sh makes of `line` (globbing off), each in brackets.
std::string sh_words(const std::string& line) {
  std::string out;
  libutils::run_process({"/bin/sh", "-c", "set -f; for w in " + line + "; do printf '[%s]' \"$w\"; done"},
                        &out);
  return out;
}

std::string bracketed(const words_t& words) {
  std::string out;
  for (const auto& w : words) out += "[" + w + "]";
  return out;
}

TEST(SplitWords, SplitsLikeTheShellWithoutExpanding) {
  struct case_t {
    std::string line;
    words_t words;
  };
  const std::vector<case_t> cases = {
      {"", {}},
      {"   \t ", {}},
      {"-c:v libx264 -crf 23", {"-c:v", "libx264", "-crf", "23"}},
      {"  -hwaccel\tcuda  ", {"-hwaccel", "cuda"}},
      {"-vf 'scale=1:2, fps=30'", {"-vf", "scale=1:2, fps=30"}},
      {"-metadata \"title=a \\\"b\\\" c\"", {"-metadata", "title=a \"b\" c"}},
      {"\"a\\b\" 'c\\d'", {"a\\b", "c\\d"}},
      {"a\\ b c\\'d", {"a b", "c'd"}},
      {"x'y'\"z\" ''", {"xyz", ""}},
      {"\"\"", {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(libutils::split_words(c.line), c.words);
    EXPECT_EQ(sh_words(c.line), bracketed(c.words));
  }
}

TEST(SplitWords, KeepsShellCharactersAsText) {
  EXPECT_EQ(libutils::split_words("$(touch x) `y` ;z *"),
            (words_t{"$(touch", "x)", "`y`", ";z", "*"}));
  EXPECT_EQ(libutils::split_words("'open quote"), (words_t{"open quote"}));
  EXPECT_EQ(libutils::split_words("a \"open"), (words_t{"a", "open"}));
}

TEST(ShellQuote, TheShellReadsEveryWordBack) {
  const words_t words = {"plain-word_1.mp4", "",         "a b",         "it's",
                         "a\"$(touch pwned)\";b.mp4",    "`x`\\n",     "日本語 ファイル.mov",
                         "'",                "tab\there", "line\nend"};
  EXPECT_EQ(libutils::shell_quote("plain-word_1.mp4"), "plain-word_1.mp4");
  EXPECT_EQ(libutils::shell_quote("it's"), "'it'\\''s'");
  EXPECT_EQ(libutils::shell_quote(""), "''");
  testutil::TempDir dir;
  std::string out;
  const words_t argv = {"/bin/sh", "-c",
                        "cd " + libutils::shell_quote(dir.path()) + " && for w in " +
                            libutils::command_line(words) + "; do printf '[%s]' \"$w\"; done"};
  EXPECT_EQ(libutils::run_process(argv, &out), 0);
  EXPECT_EQ(out, bracketed(words));
  EXPECT_FALSE(testutil::exists(dir / "pwned"));
}

TEST(RunProcess, PassesEveryArgumentUnchangedWithoutAShell) {
  testutil::TempDir dir;
  const words_t args = {"a\"$(touch pwned)\";b.mp4", "`touch pwned2`", "x;touch pwned3", "",
                        "ü ö", "*"};
  words_t argv = {"/bin/sh", "-c", "cd \"$0\" && for w in \"$@\"; do printf '[%s]' \"$w\"; done",
                  dir.path()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string out;
  EXPECT_EQ(libutils::run_process(argv, &out), 0);
  EXPECT_EQ(out, bracketed(args));
  EXPECT_FALSE(testutil::exists(dir / "pwned"));
  EXPECT_FALSE(testutil::exists(dir / "pwned2"));
  EXPECT_FALSE(testutil::exists(dir / "pwned3"));
}

TEST(RunProcess, CapturesBothStreamsInOrderAndReportsTheStatus) {
  std::string out = "old";
  EXPECT_EQ(libutils::run_process({"sh", "-c", "echo one; echo two >&2; echo three; exit 3"}, &out),
            3);
  EXPECT_EQ(out, "one\ntwo\nthree\n");
}

TEST(RunProcess, ReadsNothingFromStandardInput) {
  // Our own standard input holds text for the duration of the run.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "input", 5), 5);
  ::close(fds[1]);
  const int saved = ::dup(0);
  ::dup2(fds[0], 0);
  ::close(fds[0]);
  std::string out;
  const int status = libutils::run_process({"cat"}, &out);
  ::dup2(saved, 0);
  ::close(saved);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "");
}

TEST(RunProcess, FailuresToStartAndSignalsGiveTheirCodes) {
  std::string out = "old";
  EXPECT_EQ(libutils::run_process({"pictora-no-such-program"}, &out), 127);
  EXPECT_EQ(out, "");
  EXPECT_EQ(libutils::run_process({}), 127);
  EXPECT_EQ(libutils::run_process({"sh", "-c", "kill -9 $$"}), 128 + 9);
}

TEST(RunProcess, WithoutCaptureTheChildWritesToOurStreams) {
  const std::string err = testutil::capture_stderr([&] {
    EXPECT_EQ(libutils::run_process({"sh", "-c", "printf child >&2"}), 0);
  });
  EXPECT_EQ(err, "child");
}

// A program started in the background, which writes its arguments (one
// per line) into DIR/args once it runs.
words_t recorder(const testutil::TempDir& dir, const words_t& args) {
  words_t argv = {"/bin/sh", "-c", "printf '%s\\n' \"$@\" > \"$0/args.tmp\" && mv \"$0/args.tmp\" \"$0/args\"",
                  dir.path()};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

TEST(StartProcess, PassesEveryArgumentUnchangedWithoutAShell) {
  testutil::TempDir dir;
  const words_t args = {"a\"$(touch " + dir.path() + "/pwned)\";b.mp4", "x;touch pwned2", "", "it's *"};
  EXPECT_TRUE(libutils::start_process(recorder(dir, args)));
  EXPECT_EQ(testutil::wait_for_file(dir / "args"), "a\"$(touch " + dir.path() + "/pwned)\";b.mp4\nx;touch pwned2\n\nit's *\n");
  EXPECT_FALSE(testutil::exists(dir / "pwned"));
}

// The program is still waiting for its input when start_process returns
// (were it waited for, this test would never get to release it).
TEST(StartProcess, ReturnsWhileTheProgramRuns) {
  testutil::TempDir dir;
  const std::string fifo = dir / "go";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(libutils::start_process(
      {"/bin/sh", "-c", "read line < \"$0/go\"; echo \"$line\" > \"$0/out.tmp\"; mv \"$0/out.tmp\" \"$0/out\"", dir.path()}));
  EXPECT_FALSE(testutil::exists(dir / "out"));
  testutil::write_file(fifo, "released\n");
  EXPECT_EQ(testutil::wait_for_file(dir / "out"), "released\n");
}

TEST(StartProcess, AProgramThatCannotStartGivesFalse) {
  testutil::TempDir dir;
  EXPECT_FALSE(libutils::start_process({}));
  EXPECT_FALSE(libutils::start_process({"pictora-no-such-program"}));
  EXPECT_FALSE(libutils::start_process({dir.path()}));  // a directory
  testutil::write_file(dir / "plain", "not a program\n");
  EXPECT_FALSE(libutils::start_process({dir / "plain"}));
}

}  // namespace
