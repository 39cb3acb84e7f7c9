// The financial step: see statement_collection.h.
#include "financial/statement_collection.h"

#include <algorithm>
#include <unordered_map>

#include "codes/stock_list.h"
#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/text.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"
#include "financial/statement_summary.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"

namespace karigane {
namespace {

class statement_storing : public statement_sink {
 public:
  explicit statement_storing(const program_layout& layout) : layout_(layout) {}

  status store(run_context& ctx, const std::string& kind, const std::string& code,
               zaimu_tbl_t& periods) override {
    const status merged = merge_statements(layout_, kind, periods);
    if (merged.is_ok()) return merged;
    // The kind failed for this stock; the stored file is as it was.
    const std::string path = layout_.statement_file(statement_folder_name(layout_, kind), code);
    if (merged.unusable()) {
      report_damaged_file(ctx, code, kind_of(kind_id::financial).name, path, merged);
      return status::failure(damaged_file_message(path));
    }
    ctx.set_write_error(path);
    return status::failure(ctx.run_error());
  }

 private:
  const program_layout& layout_;
};

}  // namespace

std::vector<std::string> company_codes(run_context& ctx, const program_layout& layout,
                                       const std::vector<std::string>& codes) {
  stock_list list;
  read_stock_list(ctx, layout, list);
  // Where each code stands in the list, ascending (see listed_targets() for the same walk).
  std::unordered_map<std::string, std::vector<std::size_t>> places;
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    places[trim(list.entries[k].code)].push_back(k);
  }
  std::vector<std::string> companies;
  std::size_t next = 0;
  for (const std::string& code : codes) {
    ctx.pump();
    const auto it = places.find(code);
    if (it == places.end()) continue;
    const auto at = std::lower_bound(it->second.begin(), it->second.end(), next);
    if (at == it->second.end()) continue;
    if (contains(list.entries[*at].name, "(株)")) companies.push_back(code);
    next = *at + 1;
  }
  return companies;
}

status collect_statements(run_context& ctx, const program_layout& layout, statement_source& source,
                          const std::vector<std::string>& codes) {
  ctx.set_label1("", label_colour::blue);
  ctx.set_label1("企業銘柄確認中", label_colour::blue);
  const std::vector<std::string> companies =
      source.companies_by_name() ? company_codes(ctx, layout, codes) : codes;
  std::vector<std::string> folders{layout.database};
  for (const char* kind : kStatementKinds) {
    folders.push_back(layout.statement_folder(statement_folder_name(layout, kind)));
  }
  for (const std::string& folder : folders) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }
  if (ctx.run_interrupted()) return interrupted_status(ctx);

  statement_storing sink(layout);
  status last = source.collect_statements(ctx, companies, sink);
  if (last == status::stopped) return last;
  for (const char* kind : kStatementKinds) {
    ctx.pump();
    if (const status written = write_statement_summary(ctx, layout, kind); !written) {
      last = written;
    }
    if (ctx.run_interrupted()) return interrupted_status(ctx);
  }
  return last;
}

}  // namespace karigane
