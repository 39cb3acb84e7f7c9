// Quote site test fixtures: see site_fixture.h.
#include "site_fixture.h"

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "data_set_loader.h"
#include "markup/legacy_html.h"
#include "page_encoding.h"

namespace karigane::testing {

using namespace quote_site;

const market_data& factory_data(std::uint64_t seed, const std::string& now) {
  static std::mutex mutex;
  static std::map<std::pair<std::uint64_t, std::string>, std::unique_ptr<market_data>> built;
  std::lock_guard lock(mutex);
  auto& slot = built[{seed, now}];
  if (!slot) {
    market_sources sources;
    std::string error;
    if (!load_factory_sources(KARIGANE_DATA_DIR_FOR_TESTS, sources, error)) throw std::runtime_error(error);
    sources.seed = seed;
    sources.now = *parse_local_time(now);
    slot = std::make_unique<market_data>(std::move(sources));
  }
  return *slot;
}

page_query query_of(const std::string& path_and_query) {
  page_query q;
  const auto mark = path_and_query.find('?');
  q.path = path_and_query.substr(0, mark);
  if (mark == std::string::npos) return q;
  std::size_t start = mark + 1;
  while (start <= path_and_query.size()) {
    auto end = path_and_query.find('&', start);
    if (end == std::string::npos) end = path_and_query.size();
    const std::string part = path_and_query.substr(start, end - start);
    const auto eq = part.find('=');
    if (eq != std::string::npos) q.params.emplace(part.substr(0, eq), part.substr(eq + 1));
    start = end + 1;
  }
  return q;
}

std::string legacy_page(const page_kind& kind, const std::string& path_and_query, content_fault fault) {
  const page_answer answer = kind.render(query_of(path_and_query), fault);
  std::string body;
  legacy_body_html(page_document(answer, page_encoding{}), body);
  return body;
}

}  // namespace karigane::testing
