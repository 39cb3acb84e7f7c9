// Reproducible random numbers for the generated data set: every value is a hash of the seed,
// the stock code and what is being generated (a day, a month, a week ...), so any value can be
// computed on its own, in any order, and the same seed always gives the same data.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace karigane::quote_site {

// The splitmix64 finaliser: a well-mixed 64-bit value of a 64-bit input.
std::uint64_t mix64(std::uint64_t x);

// One hash of several values, order-sensitive.
std::uint64_t hash_of(std::initializer_list<std::uint64_t> values);

// A stable number for a text (a stock code, a purpose tag).
std::uint64_t text_key(std::string_view text);

// A value in [0, 1) from a hash.
double unit_value(std::uint64_t h);

// A value from a standard normal distribution, from a hash.
double normal_value(std::uint64_t h);

}  // namespace karigane::quote_site
