// String helpers: cleaning lines read from text files, tokens, code-page
// conversions and list copies.
#include "libutils/strutil.h"

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <utility>
#include <vector>

#include "tests/libutils/locale_guard.h"

namespace {

using std::string_literals::operator""s;

TEST(Chop, RemovesTrailingCharactersOfItsSetOnly) {
  struct case_t {
    std::string in, chopped, chopped2;
  };
  const std::vector<case_t> cases = {
      {"line\r\n", "line", "line"},
      {"line \r\n", "line ", "line"},
      {"a\tb \t\r", "a\tb \t", "a\tb"},
      {"\r\n\r\n", "", ""},
      {"\n\r", "", ""},
      {"trail\0\0"s, "trail\0\0"s, "trail"},
      {"  lead", "  lead", "  lead"},
      {"mid\r\nx", "mid\r\nx", "mid\r\nx"},
      {"", "", ""},
      {" \t\0"s, " \t\0"s, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    std::string s = c.in;
    libutils::chop(s);
    EXPECT_EQ(s, c.chopped);
    s = c.in;
    libutils::chop2(s);
    EXPECT_EQ(s, c.chopped2);
  }
}

TEST(StringCmp, ComparesThePrefixLengthOnly) {
  EXPECT_EQ(libutils::stringcmp("album=x", "album="), 0);
  EXPECT_EQ(libutils::stringcmp("anything", ""), 0);
  EXPECT_LT(libutils::stringcmp("alb", "album"), 0);
  EXPECT_GT(libutils::stringcmp("book", "album"), 0);
}

TEST(SeparateToken, KeepsEmptyTokensButNotAnEmptyLastOne) {
  struct case_t {
    std::string s;
    const char* delims;
    std::list<std::string> tokens;
  };
  const std::vector<case_t> cases = {
      {"a;;b;", ";", {"a", "", "b"}},
      {";x", ";", {"", "x"}},
      {"", ";", {}},
      {";", ";", {""}},
      {"one", ";", {"one"}},
      {"/usr/bin:/bin", ":", {"/usr/bin", "/bin"}},
      {"a b,c", " ,", {"a", "b", "c"}},
      {"a\0b;c"s, ";", {"a\0b"s, "c"}},
      {"my album;IMG 1.jpg", ";", {"my album", "IMG 1.jpg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    std::list<std::string> out;
    libutils::separate_token(out, c.s, c.delims);
    EXPECT_EQ(out, c.tokens);
  }
}

TEST(SeparateToken, AppendsToWhatTheListHolds) {
  std::list<std::string> out{"kept"};
  libutils::separate_token(out, "a;b", ";");
  EXPECT_EQ(out, (std::list<std::string>{"kept", "a", "b"}));
}

TEST(SeparateFirstToken, SplitsAtTheFirstOccurrence) {
  struct case_t {
    std::string s;
    bool found;
    std::string first, second;
  };
  const std::vector<case_t> cases = {
      {"key=a=b", true, "key", "a=b"},
      {"key=", true, "key", ""},
      {"=value", true, "", "value"},
      {"key", false, "untouched", "too"},
      {"", false, "untouched", "too"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    std::pair<std::string, std::string> out{"untouched", "too"};
    EXPECT_EQ(libutils::separate_first_token(out, c.s, '='), c.found);
    EXPECT_EQ(out.first, c.first);
    EXPECT_EQ(out.second, c.second);
  }
}

TEST(ConcatenateToken, JoinsWithTheSeparatorBetweenNeighbours) {
  struct case_t {
    std::list<std::string> tokens;
    std::string joined;
  };
  const std::vector<case_t> cases = {
      {{}, ""}, {{"a"}, "a"}, {{"a", "b", "c"}, "a, b, c"}, {{"", ""}, ", "},
  };
  for (auto c : cases) {
    std::string out = "old";
    libutils::concatenate_token(out, c.tokens, ", ");
    EXPECT_EQ(out, c.joined);
  }
}

TEST(WideConversion, RoundTripsUnderUtf8) {
  testutil::CtypeLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "no UTF-8 locale";
  // Three bytes per character: more than twice the character count.
  const std::string text = "\xe5\xa4\x8f\xe5\xa4\x8f\xe5\xa4\x8f.jpg";
  const std::wstring wide = libutils::str2wstr(text);
  EXPECT_EQ(wide, L"\u590f\u590f\u590f.jpg");
  EXPECT_EQ(libutils::wstr2str(wide), text);
  EXPECT_EQ(libutils::str2wstr(""), L"");
  EXPECT_EQ(libutils::wstr2str(L""), "");
}

TEST(WideConversion, InvalidTextGivesAnEmptyResult) {
  testutil::CtypeLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "no UTF-8 locale";
  EXPECT_EQ(libutils::str2wstr("caf\xe9"), L"");
  testutil::CtypeLocale c("C");
  EXPECT_EQ(libutils::wstr2str(L"caf\u00e9"), "");
  EXPECT_EQ(libutils::wstr2str(L"cafe"), "cafe");
}

TEST(ListCopies, CatCopyAndCharPointers) {
  const std::list<std::string> l{"a", "b c", ""};
  std::vector<std::string> v{"x"};
  libutils::cat(v, l);
  EXPECT_EQ(v, (std::vector<std::string>{"x", "a", "b c", ""}));

  std::list<std::string> source{"p", "q"};
  libutils::copy(v, source);
  EXPECT_EQ(v, (std::vector<std::string>{"p", "q"}));

  std::vector<const char*> ptrs{"stale", "entries", "here", "too"};
  libutils::makecharptrarray(ptrs, l);
  ASSERT_EQ(ptrs.size(), 3u);
  auto it = l.begin();
  for (const char* p : ptrs) EXPECT_EQ(p, (it++)->c_str());
}

}  // namespace
