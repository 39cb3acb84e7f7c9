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
  settei_record settei;
  read_settei_sub(ctx, settei);

  meigara_list_t list;
  std::int16_t flag = 0;
  std::string message;
  read_meigara_list_sub(ctx, list, flag, message);

  code_list_t codes;
  ctx.controls.meigara_code_opt = selection_mode::table;
  code_set1_sub(ctx, codes, flag, message);
  effective_code_sub(ctx, codes);
  return 0;
}
