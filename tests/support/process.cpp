// Child processes for tests: see process.h.
#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace karigane::testing {
namespace {

// The argument and environment vectors of execve, built before the fork (the child may only
// make async-signal-safe calls).
class exec_vectors {
 public:
  exec_vectors(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env) {
    // A variable given in `env` replaces the inherited one: getenv finds the first of a name.
    auto given = [&env](const char* entry) {
      const char* eq = std::strchr(entry, '=');
      if (eq == nullptr) return false;
      const std::size_t name_length = eq - entry + 1;
      for (const std::string& e : env) {
        if (e.compare(0, name_length, entry, name_length) == 0) return true;
      }
      return false;
    };
    for (char** e = environ; *e != nullptr; ++e) {
      if (!given(*e)) env_strings_.emplace_back(*e);
    }
    env_strings_.insert(env_strings_.end(), env.begin(), env.end());
    for (auto& e : env_strings_) envp_.push_back(e.data());
    envp_.push_back(nullptr);
    argv_strings_.push_back(program);
    argv_strings_.insert(argv_strings_.end(), args.begin(), args.end());
    for (auto& a : argv_strings_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
  }
  // In the child: becomes the program, or ends with 127.
  [[noreturn]] void exec() {
    ::execve(argv_[0], argv_.data(), envp_.data());
    ::_exit(127);
  }

 private:
  std::vector<std::string> env_strings_;
  std::vector<std::string> argv_strings_;
  std::vector<char*> envp_;
  std::vector<char*> argv_;
};

// Waits for the child's end: its exit code, or 128 + the signal that ended it.
int reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

std::vector<std::string> process_result::lines() const {
  std::vector<std::string> out_lines;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    out_lines.push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return out_lines;
}

process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env,
                           const std::function<void(int, const std::string&)>& while_running,
                           const process_start& start) {
  process_result result;
  int out_pipe[2];
  int err_pipe[2];
  if (::pipe(out_pipe) != 0) return result;
  if (start.stderr_terminal_columns > 0) {
    // The terminal's master is read like the pipe's end; its slave is the child's stderr.
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(start.stderr_terminal_columns);
    if (::openpty(&err_pipe[0], &err_pipe[1], nullptr, nullptr, &size) != 0) return result;
    termios raw{};
    if (::tcgetattr(err_pipe[1], &raw) == 0) {
      raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // the bytes as written, no CR LF
      ::tcsetattr(err_pipe[1], TCSANOW, &raw);
    }
  } else if (::pipe(err_pipe) != 0) {
    return result;
  }
  exec_vectors exec(program, args, env);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (start.file_size_limit > 0) {
      const rlimit limit{static_cast<rlim_t>(start.file_size_limit),
                         static_cast<rlim_t>(start.file_size_limit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (start.pending_signal != 0) {
      sigset_t blocked;
      sigemptyset(&blocked);
      sigaddset(&blocked, start.pending_signal);
      ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
      ::raise(start.pending_signal);
    }
    exec.exec();
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  bool open[2] = {true, true};
  char buf[4096];
  while (open[0] || open[1]) {
    if (::poll(fds, 2, 1000) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (!open[i] || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buf, sizeof buf);
      if (got <= 0) {
        open[i] = false;
        fds[i].fd = -1;
        continue;
      }
      (i == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(got));
      if (i == 0 && while_running) while_running(pid, result.out);
      if (i == 1 && start.while_running_err) start.while_running_err(pid, result.err);
    }
  }
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  result.exit_status = reap(pid);
  return result;
}

process_result run_karigane(const std::vector<std::string>& args,
                            const std::vector<std::string>& env,
                            const std::function<void(int, const std::string&)>& while_running,
                            const process_start& start) {
  return run_process(KARIGANE_CLI_PATH, args, env, while_running, start);
}

std::string karigane_program() { return KARIGANE_CLI_PATH; }

child_process::child_process(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env,
                             const std::string& output_path) {
  const int out = output_path.empty()
                      ? ::open("/dev/null", O_WRONLY | O_CLOEXEC)
                      : ::open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return;
  exec_vectors exec(program, args, env);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(out, 2);
    exec.exec();
  }
  ::close(out);
  if (pid > 0) pid_ = pid;
}

child_process::~child_process() { signal_and_wait(SIGKILL); }

int child_process::wait() {
  if (pid_ > 0 && !reaped_) {
    status_ = reap(pid_);
    reaped_ = true;
  }
  return status_;
}

int child_process::signal_and_wait(int signal) {
  // Until it is reaped the child's pid cannot be taken by another process: a child that has
  // ended only ignores the signal.
  if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
  return wait();
}

}  // namespace karigane::testing
