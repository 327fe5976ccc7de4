// String helpers for lines read from the system's text files and for tokens.
#pragma once

#include <list>
#include <string>
#include <utility>
#include <vector>

namespace libutils {

// Removes every trailing CR and LF.
void chop(std::string& s);
// Removes every trailing NUL, TAB, LF, CR and space.
void chop2(std::string& s);
// strncmp(s, prefix, strlen(prefix)): 0 when s begins with prefix.
int stringcmp(const char* s, const char* prefix);
// Appends the tokens of s split at any byte of delims; empty tokens between
// delimiters are kept, an empty last token is not. `out` is not cleared.
void separate_token(std::list<std::string>& out, const std::string& s, const char* delims);
// Splits s at the first c; false (out untouched) when c does not occur.
bool separate_first_token(std::pair<std::string, std::string>& out, const std::string& s, char c);
// out = tokens joined with sep between neighbours.
void concatenate_token(std::string& out, std::list<std::string>& tokens, const char* sep);
// Multibyte <-> wide conversions under the current C locale.
std::wstring str2wstr(const std::string& s);
std::string wstr2str(const std::wstring& w);
// Appends copies of l's elements to v.
void cat(std::vector<std::string>& v, const std::list<std::string>& l);
// v becomes a copy of l.
void copy(std::vector<std::string>& v, std::list<std::string>& l);
// v holds each element's character pointer (no terminating null entry); valid
// while l lives unchanged.
void makecharptrarray(std::vector<const char*>& v, const std::list<std::string>& l);

}  // namespace libutils
