// Politeness towards the quote site, kept in the download layer: requests to one host that is
// not on this machine are at least the connection settings' access interval apart, and the repeated
// attempts at one failed page back off (1, 2, 4 ... seconds, at most 30). Hosts on loopback
// (127.0.0.0/8, ::1, localhost) never wait, so the local quote site stays fast. The times of
// the hosts are shared by every thread of the process; a wait turns the front end's pump and
// ends at once on a stop.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/run_context.h"
#include "http/connection_settings.h"

namespace karigane {

using pacing_clock = std::chrono::steady_clock;

// The host of an address as the pacing knows it (lower case, IPv6 without brackets); "" when
// the address has none.
std::string address_host(const std::string& url);

// True for 127.0.0.0/8, ::1 (also IPv4-mapped loopback) and localhost.
bool is_loopback_host(const std::string& host);

// The pause before repeat `repeat` (1 = the first repeat) of a failed page: 1 s doubling to
// at most 30 s; none before a first attempt.
std::chrono::milliseconds retry_backoff(int repeat);

// When a request may start: for a loopback host at once; otherwise not before the interval
// since the host's last request (none yet: at once) nor before the back-off from now.
pacing_clock::time_point request_start_time(bool loopback,
                                            std::optional<pacing_clock::time_point> last_request,
                                            pacing_clock::time_point now,
                                            std::chrono::milliseconds interval, int repeat);

// Waits for the turn of a request to `url` (attempt `repeat` + 1 at one page), pumping; false
// when the stop flag ended the wait (the turn is then given back).
bool wait_for_request_turn(run_context& ctx, const connection_settings& connection,
                           const std::string& url, int repeat);

}  // namespace karigane
