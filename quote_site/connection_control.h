// Misbehaving on a request's connection: the "drop" fault (the connection is shut down
// without an answer) and the "hang" fault (the answer is held back until the client hangs up).
#pragma once

#include <atomic>

namespace karigane::quote_site {

// Shuts the connection down in both directions; the library closes the socket later.
void shut_connection(int socket);

// Returns when the peer has closed the connection or `stopping` becomes true. Without a
// socket it waits for `stopping` alone.
void wait_for_hang_up(int socket, const std::atomic<bool>& stopping);

}  // namespace karigane::quote_site
