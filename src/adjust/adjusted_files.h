// The adjusted-price files: for every stored stock, a copy of its price series scaled across its
// splits, written below syusei_path + data_m_name. The main-file way reads the stock's main
// price file and split list; the yearly way first joins the newest run of consecutive yearly
// folders and keeps the joined files in data_m_1 and data_mh_1.
//
// Sources are only read. A price file that cannot be read to its end, or whose split list is
// damaged, is passed over, so its earlier adjusted copy stays as it was rather than being
// replaced by a wrong one. Stocks are worked on several at a time; the stop flag is tested
// between files and lets the files in hand finish.
#pragma once

#include <string>

#include "core/run_context.h"
#include "kinds/program_layout.h"

namespace karigane {

// What an adjusted-price pass could not do: an output folder it could not create (the pass
// ends there), or output files it could not write (the other stocks are still done).
struct adjusted_files_outcome {
  std::string folder_failed;  // the folder that could not be created, empty when none
  long write_failures = 0;
  std::string first_write_failure;  // the first in file order
  long files_written = 0;           // adjusted files written, and their rows
  long rows_written = 0;
};

// The main-file way: every "<code>.csv" of the price folder.
adjusted_files_outcome write_adjusted_main_files(run_context& ctx, const program_layout& layout);

// The yearly way ("年毎から計算").
adjusted_files_outcome write_adjusted_yearly_files(run_context& ctx,
                                                   const program_layout& layout);

}  // namespace karigane
