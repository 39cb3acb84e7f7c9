// karigane-quote-site: loads the data set, binds 127.0.0.1 (or --bind), announces the address
// and port on the first line of standard output and serves until SIGINT or SIGTERM. A port
// that cannot be bound, one in use included, ends it with status 1.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <exception>
#include <thread>

#include "core/install_paths.h"
#include "data_set_loader.h"
#include "quote_server.h"
#include "site_options.h"

using namespace karigane;
using namespace karigane::quote_site;

namespace {

int run(int argc, char** argv) {
  site_options options;
  std::string error;
  if (!parse_site_options(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "karigane-quote-site: %s (see --help)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(site_help_text().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("karigane-quote-site %s\n", program_version());
    return 0;
  }
  // A busy port is refused before the data set is loaded.
  if (const std::string busy = bind_failure(options.server.address, options.server.port); !busy.empty()) {
    std::fprintf(stderr, "karigane-quote-site: %s\n", busy.c_str());
    return 1;
  }
  market_sources sources;
  sources.seed = options.seed;
  sources.now = options.now ? *options.now : system_now();
  const std::string factory = factory_data_folder();
  const bool loaded = options.data_folder.empty()
                          ? (!factory.empty() && load_factory_sources(factory, sources, error))
                          : load_folder_sources(options.data_folder, factory, sources, error);
  if (!loaded) {
    if (error.empty()) error = "the factory data set (meigara_list_org.csv) was not found";
    std::fprintf(stderr, "karigane-quote-site: %s\n", error.c_str());
    return 1;
  }
  const market_data data(std::move(sources));

  // The signals are taken by one watcher thread; every other thread keeps them blocked.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  quote_server server(data, options.server);
  if (!server.bind(error)) {
    std::fprintf(stderr, "karigane-quote-site: %s\n", error.c_str());
    return 1;
  }
  std::printf("listening on %s%s\n", server.bound_address().c_str(),
              server.serves_https() ? " (https)" : "");
  // The next step for a person who started the site by hand: a program folder that uses it.
  const std::string site_url =
      std::string(server.serves_https() ? "https://" : "http://") + server.bound_address();
  std::printf("data set: %s\nto use this site, run in a program folder (or add --dir DIR):\n  karigane init --site %s\n",
              options.data_folder.empty() ? factory.c_str() : options.data_folder.c_str(), site_url.c_str());
  std::fflush(stdout);

  std::thread watcher([&server, stop_signals] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    server.stop();
  });
  watcher.detach();
  return server.serve() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "karigane-quote-site: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "karigane-quote-site: unexpected failure\n");
  }
  return 1;
}
