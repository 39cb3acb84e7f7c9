// Misbehaving on a request's connection: the HTTP library hides the socket of a request, so it
// is found again by the request's address pair among the process's open sockets. Used by the
// "drop" fault (the connection is shut down without an answer) and the "hang" fault (the
// answer is held back until the client hangs up).
#pragma once

#include <atomic>
#include <string>

namespace karigane::quote_site {

// The accepted socket whose peer is remote_addr:remote_port and whose local port is
// local_port; -1 when there is none.
int request_socket(const std::string& remote_addr, int remote_port, int local_port);

// Shuts the connection down in both directions; the library closes the socket later.
void shut_connection(int socket);

// Returns when the peer has closed the connection or `stopping` becomes true. Without a
// socket it waits for `stopping` alone.
void wait_for_hang_up(int socket, const std::atomic<bool>& stopping);

}  // namespace karigane::quote_site
