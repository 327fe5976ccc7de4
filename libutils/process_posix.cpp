// The POSIX side of libutils/process.h: fork, exec and a pipe.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Reads fd up to its end into out and closes it.
void drain(int fd, std::string& out) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(fd);
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

int run_process(const std::vector<std::string>& argv, std::string* output) {
  if (argv.empty()) return 127;
  std::vector<char*> args = exec_args(argv);
  flush_output();

  int pipe_fd[2] = {-1, -1};
  if (output != nullptr && ::pipe2(pipe_fd, O_CLOEXEC) != 0) return 127;

  // Forked rather than spawned, so that the child can ask to be killed when
  // this process dies: a killed build must not leave an ffmpeg running on
  // in the album. Only async-signal-safe calls in the child.
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
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

  if (output != nullptr) {
    ::close(pipe_fd[1]);
    output->clear();
    if (pid > 0)
      drain(pipe_fd[0], *output);
    else
      ::close(pipe_fd[0]);
  }
  if (pid < 0) return 127;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  return exit_code(status);
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
