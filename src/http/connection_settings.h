// How the program talks to the hosts it reads from: the least time between two requests to one
// host off this machine ("アクセス間隔ミリ秒") and a certificate file trusted besides the
// system's ("CA証明書ファイル"). Every source hands its own to each transfer.
#pragma once

#include <string>

namespace karigane {

struct connection_settings {
  int access_interval_ms = 0;
  std::string ca_certificate_file;  // absolute path, or "" for the system's certificates alone
};

}  // namespace karigane
