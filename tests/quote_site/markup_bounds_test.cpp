// The bounds on a page's tree against what the quote site serves: its largest pages lie far
// inside them, and pages built to hold the HTML5 parser for minutes lie outside.
#include "markup/markup_bounds.h"

#include <gtest/gtest.h>

#include <string>

#include "page_encoding.h"
#include "page_routes.h"
#include "site_fixture.h"

namespace karigane::quote_site {
namespace {

using testing::factory_data;

std::string document_of(const std::string& path_and_query) {
  static const route_table routes = site_routes(factory_data());
  const page_query query = testing::query_of(path_and_query);
  const auto route = find_route(routes, query.path);
  EXPECT_NE(route, routes.end()) << path_and_query;
  return page_document(route->second->render(query, content_fault::none), page_encoding{});
}

TEST(MarkupBounds, TheSitesLargestPagesLieFarInside) {
  std::string codes;
  for (int k = 0; k < 25; ++k) codes += factory_data().stocks().all()[static_cast<std::size_t>(k) * 7].code + "+";
  const std::string pages[] = {
           "/history/?code=1301&sy=2012&sm=12&sd=01&ey=2013&em=02&ed=19&tm=d",  // 50 rows
           "/stock/historicaldata?code=1301.T&fy=2012&fm=12&fd=1&ty=2013&tm=2&td=19&cp=d",
           "/history/margin/?code=1301&sy=2012&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d",  // a year
           "/bt?c=2012&a=01&b=01&f=2013&d=02&e=19&g=d&s=1301&y=0&z=1301",
           "/search/?query=" + codes + "998407&view=l1",  // 25 stocks
           "/search/?query=" + codes + "998407&view=l2",
           "/independent/1301",
           "/fisco/cgi-bin/index.cgi"};
  for (const std::string& page : pages) {
    const markup_measure m = measure_markup(document_of(page));
    EXPECT_TRUE(m.within) << page;
    // Measured when the bounds were set: depth 9, 850 elements and 4,200 steps at most.
    EXPECT_LE(m.depth * 20, kPageMarkupLimits.max_depth) << page;
    EXPECT_LE(m.elements * 50, kPageMarkupLimits.max_elements) << page;
    EXPECT_LE(m.steps * 500, kPageMarkupLimits.max_steps) << page;
  }
}

TEST(MarkupBounds, PagesBuiltToStallTheParserLieOutside) {
  auto repeat = [](const std::string& piece, int times) {
    std::string s;
    for (int k = 0; k < times; ++k) s += piece;
    return s;
  };
  std::string distinct_formatting;  // each one different, so the parser keeps them all
  for (int k = 0; k < 300; ++k) distinct_formatting += "<b class=\"c" + std::to_string(k) + "\">";
  const std::string hostile[] = {
      repeat("<font class=\"f\">", 64000),                     // nested formatting
      repeat("<div>", 64000),                                  // nested blocks
      repeat("<table><tr><td>", 2000),                         // nested tables
      "<p>" + distinct_formatting + repeat("<p>x", 1000),      // formatting made again per paragraph
      "<div>" + distinct_formatting + "</div>" + repeat("<div>x</div>", 1000),
      repeat("<br>", 200000),                                  // too many elements
      repeat("<b><div></b>", 20000),                           // misnested formatting
      repeat("<ul><li>", 30000),
      repeat("<span>", 390) + repeat("</x>", 250000),          // stray end tags below deep nesting
  };
  for (const std::string& page : hostile) {
    EXPECT_FALSE(measure_markup(page).within) << page.substr(0, 60);
  }
}

}  // namespace
}  // namespace karigane::quote_site
