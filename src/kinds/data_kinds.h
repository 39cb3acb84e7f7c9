// The data kinds a collection can gather, in one table: each kind's name (the caption of its
// check box, the label of its failures and of its progress), the command-line option that
// ticks or unticks it, whether the collection period and yearly copies apply to it, the export
// tables it feeds and the sources that serve it. Every front end and run reads the kinds from
// here, so a new kind is its own folder, one row here and its source's route.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace karigane {

enum class kind_id : unsigned char { latest, prices, margin, financial };
inline constexpr std::size_t kKindCount = 4;

// Where rows come from (settings: "データ取得元").
enum class source_id : unsigned char { quote_site, jquants };

struct data_kind {
  kind_id id;
  const char* name;    // "時系列株価"
  const char* option;  // "--margin": ticks the kind; for a kind ticked at start it unticks it
  bool ticked_at_start;
  bool has_period;                           // the collection period (and "年毎") applies
  bool has_yearly_copies;                    // "年毎" writes one file per stock and year as well
  std::array<const char*, 3> export_tables;  // the export's tables it feeds (nullptr: none)
  bool served_by_quote_site;
  bool served_by_jquants;
};

// Every kind, in the order a collection runs them.
const std::array<data_kind, kKindCount>& data_kinds();
const data_kind& kind_of(kind_id id);
// The kind whose option is `option`, or nullptr.
const data_kind* kind_with_option(std::string_view option);

// A set of kinds (the ticked check boxes).
class kind_set {
 public:
  kind_set() = default;
  kind_set(std::initializer_list<kind_id> kinds) {
    for (kind_id k : kinds) set(k, true);
  }
  // The kinds ticked when a window opens.
  static kind_set at_start();

  bool has(kind_id k) const { return (bits_ >> static_cast<unsigned>(k)) & 1u; }
  void set(kind_id k, bool on) {
    const unsigned bit = 1u << static_cast<unsigned>(k);
    bits_ = on ? (bits_ | bit) : (bits_ & ~bit);
  }
  bool empty() const { return bits_ == 0; }
  friend bool operator==(const kind_set&, const kind_set&) = default;

 private:
  unsigned bits_ = 0;
};

// The one rule of the period: the collection period and "年毎" apply only while a kind with a
// period (time series, margin balances) is ticked.
bool period_applies(const kind_set& kinds);

// Labels of what the runs do besides collecting a kind, as the failure tally and the progress
// name them.
inline constexpr const char* kSplitsLabel = "株式分割";
inline constexpr const char* kStockListLabel = "銘柄リスト";
inline constexpr const char* kAdjustedLabel = "調整後株価";
inline constexpr const char* kUpdateLabel = "更新";

}  // namespace karigane
