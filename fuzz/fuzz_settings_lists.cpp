// The readers of the files a user may write by hand: the settings file settei.txt, the stock
// list meigara_list.csv and the code table download_code.csv, each given the same bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "codes/stock_list.h"
#include "codes/targets.h"
#include "core/run_context.h"
#include "run/settings.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace karigane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::scratch_file("settei.txt", bytes);
  fuzz::scratch_file("meigara_list.csv", bytes);
  fuzz::scratch_file("download_code.csv", bytes);
  fuzz::scratch_file("meigara_list_org.csv", "");

  run_context ctx;
  ctx.program_folder = fuzz::scratch_folder();
  ctx.factory_folder = fuzz::scratch_folder();
  const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
  const program_layout layout = default_settings(ctx.program_folder, ctx.factory_folder).layout;

  stock_list list;
  read_stock_list(ctx, layout, list);

  const target_selection targets = select_targets(ctx, layout, {selection_mode::table, "", ""});
  listed_targets(ctx, layout, targets.codes);
  return 0;
}
