// Child processes for tests: see process.h.
#include "support/process.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace karigane::testing {

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
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) env_strings.emplace_back(*e);
  for (const auto& e : env) env_strings.push_back(e);
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_strings) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (start.pending_signal != 0) {
      sigset_t blocked;
      sigemptyset(&blocked);
      sigaddset(&blocked, start.pending_signal);
      ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
      ::raise(start.pending_signal);
    }
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
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
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.exit_status = 128 + WTERMSIG(status);
  return result;
}

process_result run_karigane(const std::vector<std::string>& args,
                            const std::vector<std::string>& env,
                            const std::function<void(int, const std::string&)>& while_running,
                            const process_start& start) {
  return run_process(KARIGANE_CLI_PATH, args, env, while_running, start);
}

}  // namespace karigane::testing
