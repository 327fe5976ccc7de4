#include "vexalib/message.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "tests/support/test_util.h"

namespace {

using vexalib::getmsg;
using vexalib::init_message;
// Message n of the catalogue, by its line number.
vexalib::e_message_t msg(uint32_t n) { return static_cast<vexalib::e_message_t>(n); }

const char* const not_loaded = "message not loaded.";

// Every test runs in a scratch working directory with its own locale and
// PATH; all three are put back afterwards.
class MessageTest : public testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    old_cwd_ = cwd;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG", "PATH"}) {
      const char* value = std::getenv(var);
      saved_env_[var] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANG");
    ASSERT_EQ(::chdir(work_.path().c_str()), 0);
  }

  void TearDown() override {
    ASSERT_EQ(::chdir(old_cwd_.c_str()), 0);
    for (const auto& [var, value] : saved_env_) {
      if (value) {
        ::setenv(var.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(var.c_str());
      }
    }
    std::setlocale(LC_ALL, "C");
  }

  static void set_locale_env(const char* locale) { ::setenv("LC_ALL", locale, 1); }

  testutil::TempDir work_;

 private:
  std::string old_cwd_;
  std::map<std::string, std::optional<std::string>> saved_env_;
};

// The locale that every test machine has besides C, so the locale-specific
// catalogue name is "cat.C.UTF-8.msg".
const char* const test_locale = "C.UTF-8";
const std::string local_file = "cat.C.UTF-8.msg";
const std::string plain_file = "cat.msg";

TEST_F(MessageTest, CandidateOrder) {
  enum where_t { cwd, dir, path };
  struct case_t {
    const char* label;
    const char* locale;
    std::vector<std::pair<where_t, std::string>> files;
    const char* prefix;  // dirpath = the dirpath folder + prefix; null: "" and PATH is searched
    where_t found_in;
    std::string found_file;
  };
  const std::vector<case_t> cases = {
      {"locale file beats plain one", test_locale, {{cwd, local_file}, {cwd, plain_file}}, "/", cwd, local_file},
      {"locale file in dirpath beats plain one in cwd", test_locale, {{cwd, plain_file}, {dir, local_file}}, "/", dir, local_file},
      {"plain one in cwd after locale candidates fail", test_locale, {{cwd, plain_file}}, "/", cwd, plain_file},
      {"plain one in dirpath", test_locale, {{dir, plain_file}}, "/", dir, plain_file},
      {"dirpath is a bare prefix", test_locale, {{dir, "x" + local_file}, {dir, local_file}}, "/x", dir, "x" + local_file},
      {"locale file through PATH", test_locale, {{path, local_file}}, nullptr, path, local_file},
      {"plain one through PATH", test_locale, {{path, plain_file}}, nullptr, path, plain_file},
      {"locale file through PATH beats plain one in cwd", test_locale, {{cwd, plain_file}, {path, local_file}}, nullptr, path, local_file},
      {"C locale uses the plain name only", "C", {{cwd, "cat.C.msg"}, {cwd, plain_file}}, "/", cwd, plain_file},
      {"POSIX locale uses the plain name only", "POSIX", {{cwd, "cat.POSIX.msg"}, {cwd, plain_file}}, "/", cwd, plain_file},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    testutil::TempDir dirpath_dir;
    testutil::TempDir path_dir;
    const std::string dir_of[] = {".", dirpath_dir.path(), path_dir.path()};
    // Each file names itself, so the text shows which one was read.
    std::vector<std::string> written;
    for (const auto& [where, file] : c.files) {
      const std::string full = dir_of[where] + "/" + file;
      testutil::write_file(full, full + "\n");
      written.push_back(full);
    }
    set_locale_env(c.locale);
    ::setenv("PATH", ("/nonexistent-pictora-dir:" + path_dir.path()).c_str(), 1);

    const std::string dirpath = c.prefix ? dirpath_dir.path() + c.prefix : "";
    const std::string loaded = init_message(dirpath.c_str(), "cat");

    std::string expected;
    switch (c.found_in) {
      case cwd: expected = c.found_file; break;
      case dir: expected = dirpath_dir.path() + "/" + c.found_file; break;
      case path: expected = path_dir.path() + "/" + c.found_file; break;
    }
    EXPECT_EQ(loaded, expected);
    EXPECT_STREQ(getmsg(msg(0)), (dir_of[c.found_in] + "/" + c.found_file).c_str());
    for (const auto& full : written) std::remove(full.c_str());
  }
}

TEST_F(MessageTest, TableBuilding) {
  struct case_t {
    const char* label;
    std::string bytes;
    std::vector<std::string> messages;
  };
  const std::vector<case_t> cases = {
      {"CR LF and LF, last line without LF dropped", "A\r\nB\nC", {"A", "B"}},
      {"CR alone as line end gives nothing", "A\rB\rC\r", {}},
      {"empty file", "", {}},
      {"NUL ends a message early", std::string("A\0B\nC\n", 6), {"A", "C"}},
      {"empty lines are messages", "\n\n", {"", ""}},
      {"lone CR breaks, numbering stops at the LF count", "A\rB\nC\n", {"A", "B"}},
      {"CR then CR LF gives an empty message", "A\r\r\nB\n", {"A", ""}},
      {"LF then CR gives an empty message", "A\n\rB\n", {"A", ""}},
      {"only one LF", "A\nB", {"A"}},
      {"bytes pass unchanged", "caf\xc3\xa9 <b>\tx \n", {"caf\xc3\xa9 <b>\tx "}},
  };
  set_locale_env("C");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    testutil::write_file(plain_file, c.bytes);
    ASSERT_EQ(init_message("", "cat"), plain_file);
    ASSERT_EQ(vexalib::s_tablebuf.size(), c.messages.size());
    for (uint32_t i = 0; i < c.messages.size(); ++i) EXPECT_STREQ(getmsg(msg(i)), c.messages[i].c_str());
    const auto size = static_cast<uint32_t>(c.messages.size());
    EXPECT_STREQ(getmsg(msg(size)), not_loaded);
    EXPECT_STREQ(getmsg(msg(0xFFFFFFFFu)), not_loaded);
  }
}

TEST_F(MessageTest, NothingLoadedGivesNotLoaded) {
  // Only a fresh process has never loaded a catalogue.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(std::strcmp(getmsg(msg(0)), not_loaded) == 0 &&
                                std::strcmp(getmsg(msg(65)), not_loaded) == 0
                            ? 0
                            : 1),
              testing::ExitedWithCode(0), "");
}

TEST_F(MessageTest, MissingCatalogueReportsLastCandidateAndKeepsTable) {
  set_locale_env(test_locale);
  testutil::write_file(plain_file, "kept\n");
  ASSERT_EQ(init_message("", "cat"), plain_file);

  testutil::TempDir dirpath_dir;
  std::string loaded = "not called";
  const std::string report = testutil::capture_stderr(
      [&] { loaded = init_message((dirpath_dir.path() + "/").c_str(), "nocatalogue"); });
  EXPECT_EQ(loaded, "");
  // The last candidate is the plain name in the installed data directory.
  const std::string tail = "/share/pictora/nocatalogue.msg: can't load message file.\n";
  ASSERT_GT(report.size(), tail.size());
  EXPECT_EQ(report.front(), '/');
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
  EXPECT_EQ(report.find('\n'), report.size() - 1) << "one line only";
  EXPECT_STREQ(getmsg(msg(0)), "kept");
}

TEST_F(MessageTest, LoadMessage) {
  std::vector<char> buf = {'o', 'l', 'd'};
  const std::vector<char> old = buf;
  EXPECT_FALSE(vexalib::load_message(buf, "missing.msg"));
  EXPECT_EQ(buf, old);
  testutil::make_dirs("adir.msg");
  EXPECT_FALSE(vexalib::load_message(buf, "adir.msg"));
  EXPECT_EQ(buf, old);

  const std::string bytes("x\r\0y\n", 5);
  testutil::write_file("some.msg", bytes);
  ASSERT_TRUE(vexalib::load_message(buf, "some.msg"));
  EXPECT_EQ(std::string(buf.begin(), buf.end()), bytes);

  testutil::write_file("empty.msg", "");
  ASSERT_TRUE(vexalib::load_message(buf, "empty.msg"));
  EXPECT_TRUE(buf.empty());
}

TEST_F(MessageTest, LocaleName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C", ""}, {"POSIX", ""}, {test_locale, test_locale}};
  std::setlocale(LC_ALL, "C");
  for (const auto& [env, expected] : cases) {
    SCOPED_TRACE(env);
    set_locale_env(env);
    EXPECT_EQ(vexalib::get_locale_name(), expected);
    // Asking does not switch the program's own locale.
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
  }
}

TEST(MakeTitle, JoinsWithDash) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"Album", "Edit", "Album - Edit"},
      {"", "", " - "},
      {"\xe7\xb7\xa8\xe9\x9b\x86", "x", "\xe7\xb7\xa8\xe9\x9b\x86 - x"},
  };
  for (const auto& [a, b, expected] : cases) {
    EXPECT_EQ(vexalib::make_title(a, b), expected);
    std::string out = "previous text";
    vexalib::make_title2(out, a, b);
    EXPECT_EQ(out, expected);
  }
}

// --- The catalogues shipped with the program -----------------------------

const int message_count = 66;
const std::string data_dir = std::string(PICTORA_SOURCE_DIR) + "/data/";
const char* const catalogues[] = {"pictora.msg", "pictora.ja_JP.UTF-8.msg"};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool valid_utf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const size_t len = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    }
    i += len;
  }
  return true;
}

TEST(ShippedCatalogues, OneLineEachForEveryMessageNumber) {
  for (const char* file : catalogues) {
    SCOPED_TRACE(file);
    const std::string text = testutil::read_file(data_dir + file);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), message_count);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_TRUE(valid_utf8(text));
    for (const auto& line : lines_of(text)) EXPECT_FALSE(line.empty()) << "every message has a text";
  }
}

TEST(ShippedCatalogues, TextsWrittenIntoPagesAreHtmlSafe) {
  const int page_messages[] = {5, 21, 22, 36, 37, 38, 39, 46, 50, 51, 52, 53, 54, 57};
  for (const char* file : catalogues) {
    const auto lines = lines_of(testutil::read_file(data_dir + file));
    ASSERT_EQ(lines.size(), static_cast<size_t>(message_count)) << file;
    for (int n : page_messages) {
      EXPECT_EQ(lines[n].find_first_of("<>&\""), std::string::npos) << file << " message " << n;
    }
  }
}

TEST_F(MessageTest, ShippedCatalogueLoadsWhole) {
  set_locale_env("C");
  ASSERT_EQ(init_message(data_dir.c_str(), "pictora"), data_dir + "pictora.msg");
  EXPECT_EQ(vexalib::s_tablebuf.size(), static_cast<size_t>(message_count));
  EXPECT_STRNE(getmsg(msg(message_count - 1)), not_loaded);
  EXPECT_STREQ(getmsg(msg(message_count)), not_loaded);
}

// Rows "| N | use | "English" | Japanese |" of the documentation table.
TEST(ShippedCatalogues, DocumentationTableMatchesCatalogues) {
  const auto english = lines_of(testutil::read_file(data_dir + "pictora.msg"));
  const auto japanese = lines_of(testutil::read_file(data_dir + "pictora.ja_JP.UTF-8.msg"));
  const auto doc = lines_of(testutil::read_file(std::string(PICTORA_SOURCE_DIR) + "/docs/messages.md"));
  ASSERT_EQ(english.size(), static_cast<size_t>(message_count));
  ASSERT_EQ(japanese.size(), static_cast<size_t>(message_count));
  int next = 0;
  for (const auto& row : doc) {
    if (row.size() < 3 || row.compare(0, 2, "| ") != 0 || !std::isdigit(static_cast<unsigned char>(row[2]))) continue;
    std::vector<std::string> cells;
    std::istringstream in(row.substr(1));
    for (std::string cell; std::getline(in, cell, '|');) cells.push_back(cell);
    ASSERT_EQ(cells.size(), 4u) << row;
    for (auto& cell : cells) cell = cell.substr(1, cell.size() - 2);  // the padding blanks
    ASSERT_EQ(cells[0], std::to_string(next)) << "rows in number order";
    EXPECT_EQ(cells[2], "\"" + english[next] + "\"") << "message " << next;
    EXPECT_EQ(cells[3], japanese[next]) << "message " << next;
    ++next;
  }
  EXPECT_EQ(next, message_count);
}

}  // namespace
