// The statement pages' tables: see statement_pages.h.
#include "sources/quote_site/statement_pages.h"

#include <array>

#include "financial/statement_kinds.h"

namespace karigane {
namespace {

using c = cell_conversion;

constexpr std::array<statement_row, 23> kIndependentRows{{
    {1, c::fiscal_period}, {2, c::announcement_date},
    {3, c::months},        {4, c::amount},
    {5, c::amount},        {6, c::amount},
    {7, c::amount},        {8, c::amount},
    {9, c::amount},        {10, c::amount},
    {11, c::as_shown},     {12, c::amount},
    {13, c::share_count},  {14, c::amount},
    {15, c::amount},       {16, c::amount},
    {17, c::amount},       {18, c::amount},
    {19, c::percent},      {20, c::amount},
    {21, c::percent},      {22, c::percent},
    {23, c::percent},
}};

constexpr std::array<statement_row, 19> kConsolidatedRows{{
    {1, c::fiscal_period}, {2, c::announcement_date},
    {3, c::months},        {4, c::amount},
    {5, c::amount},        {6, c::amount},
    {7, c::amount},        {8, c::amount},
    {9, c::amount},        {12, c::amount},
    {14, c::amount},       {15, c::amount},
    {16, c::amount},       {17, c::amount},
    {19, c::percent},      {20, c::amount},
    {21, c::percent},      {22, c::percent},
    {23, c::percent},
}};

// The interim page shows 含み損益 before 自己資本比率.
constexpr std::array<statement_row, 15> kInterimRows{{
    {1, c::fiscal_period},
    {2, c::announcement_date},
    {3, c::months},
    {4, c::amount},
    {5, c::amount},
    {6, c::amount},
    {7, c::amount},
    {8, c::amount},
    {12, c::amount},
    {14, c::amount},
    {15, c::amount},
    {16, c::amount},
    {17, c::amount},
    {20, c::amount},
    {19, c::percent},
}};

const statement_shape kShapes[] = {
    {kKindIndependent, "independent", 4, 3, kIndependentRows,
     statement_empty_fields(kKindIndependent)},
    {kKindConsolidated, "consolidate", 4, 3, kConsolidatedRows,
     statement_empty_fields(kKindConsolidated)},
    {kKindInterim, "interim", 3, 2, kInterimRows, statement_empty_fields(kKindInterim)},
};

}  // namespace

const statement_shape* statement_shape_of(std::string_view kind) {
  for (const auto& shape : kShapes) {
    if (shape.kind == kind) return &shape;
  }
  return nullptr;
}

}  // namespace karigane
