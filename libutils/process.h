// Running outside programs without a shell: a command is an argument vector,
// so no file name is ever read as shell code. The user's option settings are
// split into words the way a shell would split them, and commands are shown
// in a form that a POSIX shell would run unchanged.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace libutils {

// Splits s into words as the POSIX shell does, without any expansion: blanks
// (space, tab, line feed) separate words; single quotes keep everything up
// to the next single quote; double quotes keep everything, a backslash
// escaping only \ " $ ` and a line end there; outside quotes a backslash
// keeps the next character. A quote left open runs to the end of s.
std::vector<std::string> split_words(const std::string& s);

// word as the POSIX shell reads it back: unchanged when it is not empty and
// holds only letters, digits and any of @%+=:,./_-; otherwise in single
// quotes, each ' written as '\''.
std::string shell_quote(const std::string& word);

// The words of argv, each quoted by shell_quote, separated by blanks.
std::string command_line(const std::vector<std::string>& argv);

// What run_process gives back when the program was still running at the end
// of its time limit and was killed.
constexpr int process_timed_out = -1;
// What it gives back when it was killed because its caller asked to stop.
constexpr int process_stopped = -2;

// Runs the program argv[0] (searched in PATH when the name holds no '/')
// with argv as its arguments, standard input reading /dev/null, in a process
// group of its own, and waits for it. It is killed when this process dies,
// so that nothing it was making for this process goes on without it. With
// output not null, everything it writes to its standard output and standard
// error goes, interleaved as written, into *output (replacing it); otherwise
// both go where this process's own streams go. With time_limit above 0, a
// program still running that many seconds after its start is killed with
// its whole process group (what it started too); *output then holds what it
// wrote until then. Returns the exit status, 127 when the program cannot be
// started, 128 plus the signal number when a signal ended it, and
// process_timed_out when its time limit did. With stop not null, the
// program is killed the same way within a fifth of a second of *stop
// becoming true, and the result is process_stopped.
int run_process(const std::vector<std::string>& argv, std::string* output = nullptr,
                double time_limit = 0, const std::atomic<bool>* stop = nullptr);

// Starts the program argv[0] (searched in PATH as above) with argv as its
// arguments, standard input reading /dev/null, in a session of its own, and
// returns without waiting for it: for viewers and players that run beside
// this program and outlive it. True when the program was started, false when
// argv is empty or the program cannot be run.
bool start_process(const std::vector<std::string>& argv);

}  // namespace libutils
