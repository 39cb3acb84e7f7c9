// Request connections: see connection_control.h.
#include "connection_control.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace karigane::quote_site {
namespace {

bool address_text(const sockaddr_storage& sa, std::string& host, int& port) {
  char buf[INET6_ADDRSTRLEN] = {0};
  if (sa.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&sa);
    inet_ntop(AF_INET, &in->sin_addr, buf, sizeof buf);
    port = ntohs(in->sin_port);
  } else if (sa.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&sa);
    inet_ntop(AF_INET6, &in6->sin6_addr, buf, sizeof buf);
    port = ntohs(in6->sin6_port);
  } else {
    return false;
  }
  host = buf;
  return true;
}

}  // namespace

int request_socket(const std::string& remote_addr, int remote_port, int local_port) {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int found = -1;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || fd == dirfd(dir)) continue;
    struct stat st {};
    if (fstat(static_cast<int>(fd), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    sockaddr_storage peer{};
    sockaddr_storage local{};
    socklen_t peer_len = sizeof peer;
    socklen_t local_len = sizeof local;
    if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peer_len) != 0 ||
        getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &local_len) != 0) {
      continue;
    }
    std::string peer_host;
    std::string local_host;
    int peer_port = 0;
    int own_port = 0;
    if (!address_text(peer, peer_host, peer_port) || !address_text(local, local_host, own_port)) continue;
    if (peer_host == remote_addr && peer_port == remote_port && own_port == local_port) {
      found = static_cast<int>(fd);
      break;
    }
  }
  closedir(dir);
  return found;
}

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
