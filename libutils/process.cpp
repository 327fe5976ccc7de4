#include "libutils/process.h"

#include <cstring>

namespace libutils {

std::vector<std::string> split_words(const std::string& s) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // a quote pair alone makes an (empty) word
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\'') {
      const size_t end = s.find('\'', i + 1);
      const size_t stop = end == std::string::npos ? s.size() : end;
      word.append(s, i + 1, stop - i - 1);
      i = stop;
    } else if (c == '"') {
      for (++i; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && std::strchr("\\\"$`\n", s[i + 1]) != nullptr) ++i;
        word += s[i];
      }
    } else if (c == '\\' && i + 1 < s.size()) {
      word += s[++i];
    } else {
      word += c;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string shell_quote(const std::string& word) {
  static const char safe[] = "@%+=:,./_-";
  bool plain = !word.empty();
  for (const char c : word) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum && std::strchr(safe, c) == nullptr) plain = false;
  }
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += '\'';
  return quoted;
}

std::string command_line(const std::vector<std::string>& argv) {
  std::string line;
  for (const auto& word : argv) {
    if (!line.empty()) line += ' ';
    line += shell_quote(word);
  }
  return line;
}

}  // namespace libutils
