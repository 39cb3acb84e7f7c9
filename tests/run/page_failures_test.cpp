// Pages in a collection run's failure tally, against the local quote site: a window or page
// whose retrieval failed or whose checks never passed is counted with its code, data kind,
// window (or statement kind) and the driver's message; a page saying there is no data is not.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/collection_run.h"
#include "kinds/data_kinds.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

struct page_case {
  const char* kind;   // the data kind collected
  const char* fault;  // the site's fault mode for 1301's pages
  std::vector<run_failure> expected;
};

kind_set only(const std::string& kind) {
  kind_set kinds;
  for (const data_kind& k : data_kinds()) kinds.set(k.id, kind == k.name);
  return kinds;
}

TEST(PageFailures, FailedAndRefusedPagesAreCountedAndNoDataPagesAreNot) {
  const std::string window = "2013/01/01～2013/02/19";
  const std::vector<page_case> cases = {
      {kind_of(kind_id::prices).name, "wrong-stock", {{"1301", kind_of(kind_id::prices).name, window, "株価情報はありませんでした"}}},
      {kind_of(kind_id::prices).name, "forbidden", {{"1301", kind_of(kind_id::prices).name, window, "該当URLをオープンできません。"}}},
      {kind_of(kind_id::prices).name, "no-data", {}},
      {kind_of(kind_id::margin).name,
       "wrong-stock",
       {{"1301", kind_of(kind_id::margin).name, window, "信用売買残情報はありませんでした"}}},
      {kind_of(kind_id::margin).name, "no-data", {}},
      {kind_of(kind_id::financial).name,
       "wrong-stock",
       {{"1301", kind_of(kind_id::financial).name, "単独決算", "コード不一致"},
        {"1301", kind_of(kind_id::financial).name, "連結決算", "コード不一致"},
        {"1301", kind_of(kind_id::financial).name, "中間決算", "コード不一致"}}},
      {kind_of(kind_id::financial).name, "no-data", {}},
  };
  testing::quote_site_process site({"--now", "2013-02-20T16:00"});
  ASSERT_TRUE(site.started());
  testing::temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  std::filesystem::copy_file(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv",
                             dir.path() + "meigara_list.csv");
  for (const page_case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + c.fault);
    ASSERT_TRUE(site.reset());
    ASSERT_TRUE(site.set_fault(c.fault, "1301"));
    testing::recording_context ctx(dir.path());
    ctx.fix_now({{2013, 2, 20}, 16, 0, 0});
    collection_request request;
    request.kinds = only(c.kind);
    request.period = {"2013", "01", "01", "2013", "02", "19"};
    collect(ctx, request);
    const std::vector<run_failure> failures = ctx.failures.list();
    ASSERT_EQ(failures.size(), c.expected.size());
    for (std::size_t i = 0; i < failures.size(); ++i) {
      EXPECT_EQ(failure_line(failures[i]), failure_line(c.expected[i]));
    }
  }
}

}  // namespace
}  // namespace karigane
