// Request connections: see connection_control.h.
#include "connection_control.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

namespace karigane::quote_site {

void shut_connection(int socket) {
  if (socket >= 0) shutdown(socket, SHUT_RDWR);
}

void wait_for_hang_up(int socket, const std::atomic<bool>& stopping) {
  while (!stopping.load()) {
    if (socket < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    pollfd p{socket, POLLRDHUP, 0};
    const int rc = poll(&p, 1, 50);
    if (rc < 0) return;
    if (rc > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) return;
    if (rc > 0 && (p.revents & POLLIN) != 0) {
      // More request bytes (a pipelined request) are left for the library; keep waiting.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
}

}  // namespace karigane::quote_site
