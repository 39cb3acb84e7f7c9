// Statements from the quote site's profile pages: see quote_site_statements.h.
#include "sources/quote_site/quote_site_statements.h"

#include "financial/statement_kinds.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "sources/quote_site/page_failure.h"
#include "sources/quote_site/statement_fetch.h"

namespace karigane {

status quote_site_statements::collect_statements(run_context& ctx,
                                                 const std::vector<std::string>& companies,
                                                 statement_sink& sink) {
  const char* label = kind_of(kind_id::financial).name;
  zaimu_tbl_t periods;
  status last;
  const status pass = for_each_stock(ctx, label, companies, [&](std::size_t i) -> status {
    const std::string& code = companies[i];
    ctx.set_label1("財務情報処理中 " + code, label_colour::blue);
    for (const char* kind : kStatementKinds) {
      last = fetch_statement_page(ctx, site_, code, kind, periods);
      if (!last.is_ok()) {
        if (last.message() != kNoCompanyInformation) {
          note_page_outcome(ctx, code, label, kind, last);
        }
      } else {
        last = sink.store(ctx, kind, code, periods);
      }
      if (ctx.run_interrupted()) return interrupted_status(ctx);
    }
    return status::ok;
  });
  return pass == status::stopped ? pass : last;
}

}  // namespace karigane
