// The POSIX side of libutils/process.h: fork, exec, a pipe, and a pidfd for
// the time limit.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "libutils/process.h"

namespace libutils {

namespace {

int exit_code(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

// The end of a time limit (none for a limit of 0), or of the caller's
// patience: a stop flag looked at five times a second.
class deadline_t {
 public:
  deadline_t(double seconds, const std::atomic<bool>* stop)
      : limited_(seconds > 0),
        stop_(stop),
        end_(std::chrono::steady_clock::now() +
             std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                 std::chrono::duration<double>(limited_ ? seconds : 0))) {}
  bool limited() const { return limited_ || stop_ != nullptr; }
  bool stopped() const { return stop_ != nullptr && stop_->load(); }
  // Whether the wait is over: the limit came or the stop was asked.
  bool over() const { return stopped() || (limited_ && std::chrono::steady_clock::now() >= end_); }
  // What poll takes: the milliseconds left (rounded up), at most a fifth
  // of a second with a stop flag, -1 for no limit.
  int poll_ms() const {
    const int stop_ms = stop_ != nullptr ? 200 : INT_MAX;
    if (!limited_) return stop_ != nullptr ? stop_ms : -1;
    const std::chrono::duration<double, std::milli> left = end_ - std::chrono::steady_clock::now();
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<double>(std::ceil(left.count()), stop_ms));
  }

 private:
  bool limited_;
  const std::atomic<bool>* stop_;
  std::chrono::steady_clock::time_point end_;
};

// Reads fd up to its end into out, or until the deadline; false when the
// deadline came first.
bool drain(int fd, std::string& out, const deadline_t& deadline) {
  char buf[4096];
  pollfd ready_fd = {fd, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&ready_fd, 1, deadline.poll_ms());
    if (ready == 0) {
      if (deadline.over()) return false;
      continue;
    }
    if (ready < 0 && errno == EINTR) continue;
    const ssize_t n = ready < 0 ? 0 : ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return true;
    }
  }
}

// Waits until the process pid ends or the deadline comes; false when the
// deadline came first. Without pidfds (Linux before 5.3) the wait is not
// limited: a program that keeps its output open is still stopped by drain.
bool wait_until(pid_t pid, const deadline_t& deadline) {
  if (!deadline.limited()) return true;
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return true;
  pollfd ended = {fd, POLLIN, 0};
  int ready;
  while (((ready = ::poll(&ended, 1, deadline.poll_ms())) < 0 && errno == EINTR) ||
         (ready == 0 && !deadline.over())) {
  }
  ::close(fd);
  return ready > 0;
}

// Kills the process group the child leads, or the child alone when it has
// not made its group yet.
void kill_group(pid_t pid) {
  if (::kill(-pid, SIGKILL) != 0) ::kill(pid, SIGKILL);
}

// The null-terminated argument array of an exec call over argv's strings.
std::vector<char*> exec_args(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

// What this process already buffered goes out before the child's lines.
void flush_output() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

}  // namespace

int run_process(const std::vector<std::string>& argv, std::string* output, double time_limit,
                const std::atomic<bool>* stop) {
  if (argv.empty()) return 127;
  std::vector<char*> args = exec_args(argv);
  flush_output();

  int pipe_fd[2] = {-1, -1};
  if (output != nullptr && ::pipe2(pipe_fd, O_CLOEXEC) != 0) return 127;

  // Forked rather than spawned, so that the child can ask to be killed when
  // this process dies: a killed build must not leave an ffmpeg running on
  // in the album. Its own process group lets a time limit end whatever it
  // started with it. Only async-signal-safe calls in the child.
  const deadline_t deadline(time_limit, stop);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
    ::setpgid(0, 0);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd > 0) {
      ::dup2(null_fd, 0);
      ::close(null_fd);
    }
    if (output != nullptr) {
      ::dup2(pipe_fd[1], 1);
      ::dup2(pipe_fd[1], 2);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  if (pid > 0) ::setpgid(pid, pid);  // whichever of the two comes first

  bool in_time = true;
  if (output != nullptr) {
    ::close(pipe_fd[1]);
    output->clear();
    if (pid > 0) in_time = drain(pipe_fd[0], *output, deadline);
    ::close(pipe_fd[0]);
  }
  if (pid < 0) return 127;
  if (in_time) in_time = wait_until(pid, deadline);
  if (!in_time) kill_group(pid);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (in_time) return exit_code(status);
  return deadline.stopped() ? process_stopped : process_timed_out;
}

bool start_process(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args = exec_args(argv);
  flush_output();

  // The program is started by a short-lived middle process, so that it is
  // nobody's child here and leaves no zombie behind. A failed exec sends its
  // errno back through a pipe that a successful exec closes.
  int pipe_fd[2] = {-1, -1};
  if (::pipe2(pipe_fd, O_CLOEXEC) != 0) return false;
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(pipe_fd[0]);
    ::close(pipe_fd[1]);
    return false;
  }
  if (middle == 0) {
    // Only async-signal-safe calls from here on: the parent may have threads.
    ::setsid();
    const pid_t child = ::fork();
    if (child == 0) {
      const int null_fd = ::open("/dev/null", O_RDONLY);
      if (null_fd >= 0 && null_fd != 0) {
        ::dup2(null_fd, 0);
        ::close(null_fd);
      }
      ::execvp(args[0], args.data());
      const int error = errno;
      (void)!::write(pipe_fd[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(child < 0 ? 1 : 0);
  }
  ::close(pipe_fd[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  while ((n = ::read(pipe_fd[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(pipe_fd[0]);
  const bool middle_ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return middle_ok && n == 0;
}

}  // namespace libutils
