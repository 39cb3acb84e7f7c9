// Building the quote site's data set from files.
//
// The factory data set (the project's data/ folder): meigara_list_org.csv (names and markets
// of every stock and index), splits-2000-2017.csv (real split events), n225-daily.csv (the
// real Nikkei 225, served as 1001), prices/CODE.csv (real unadjusted prices), and generated
// events of 2024-2025: listings-2024-2025.csv (new listings and a delisting, stocks.csv form),
// splits-2024-2025.csv and halts-2025.csv.
//
// A data folder (--data DIR), every file UTF-8 (or CP932) with a header line:
//   stocks.csv         code,market_letter,market_name,name[,listed,last_trading_day]
//                      required; the stocks served, dates yyyymmdd or empty. Index codes
//                      1001-1004 not listed keep their factory names.
//   splits.csv         code,date,before,after                optional; date yyyymmdd.
//   halts.csv          code,date                             optional; whole days without a
//                      trade.
//   prices/CODE.csv    date,open,high,low,close,volume       optional; real unadjusted rows
//                      of that code, replacing generated ones from its first to its last
//                      date; prices/1001.csv also gives the market's trading days.
// Whatever has no file is generated from the seed.
#pragma once

#include <string>

#include "market_data.h"

namespace karigane::quote_site {

// The folder of the factory data set: the source tree's data/ folder when present, else the
// installed copy; "" when neither holds the factory stock list.
std::string factory_data_folder();

bool load_factory_sources(const std::string& folder, market_sources& sources, std::string& error);

bool load_folder_sources(const std::string& folder, const std::string& factory_folder,
                         market_sources& sources, std::string& error);

}  // namespace karigane::quote_site
