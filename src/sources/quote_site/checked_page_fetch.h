// The fetch loop of every page that is checked before it is read: the page is loaded and handed
// to its reader, and loaded again while the reader refuses it (a page of another stock or
// period, or no page at all) and the retry budget lasts. A refusal costs one fetch of the
// budget; a capped refusal (a page that will not change, such as "no such stock") first caps
// the budget at three. A failed retrieval ends the loop at once with the retrieval's status;
// page retrieval does its own repeats.
#pragma once

#include <functional>
#include <string>

#include "core/run_context.h"
#include "core/status.h"
#include "http/connection_settings.h"

namespace karigane {

enum class page_verdict { accepted, refused, refused_capped };

// What reading one page came to: whether it is the page asked for, and what its reading says:
// ok, missing with the page's "no data" message ("error b01:...": not a failure), or failed
// with the message of a page that was refused or lacked its parts ("error b11:...").
struct page_reading {
  page_verdict verdict = page_verdict::accepted;
  status outcome;
};

// A page accepted as the one asked for, whose reading ends with `message`: ok without one,
// missing for a page's "no data" message ("error b01", "error b02"), failed for any other
// ("error b11" and on).
page_reading accepted_page(const std::string& message = {});

// A page refused as not the one asked for.
page_reading refused_page(page_verdict verdict, const std::string& message);

using page_reader = std::function<page_reading(const std::string& page)>;

// The outcome of the last page read, or of the retrieval that failed.
status fetch_checked_page(run_context& ctx, const connection_settings& connection,
                          const std::string& url, int budget, const page_reader& read);

}  // namespace karigane
