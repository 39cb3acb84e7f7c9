// Hash-based random numbers: see deterministic_random.h.
#include "deterministic_random.h"

#include <cmath>

namespace karigane::quote_site {

std::uint64_t mix64(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

std::uint64_t hash_of(std::initializer_list<std::uint64_t> values) {
  std::uint64_t h = 0x243F6A8885A308D3ULL;
  for (std::uint64_t v : values) h = mix64(h ^ mix64(v));
  return h;
}

std::uint64_t text_key(std::string_view text) {
  std::uint64_t h = 0xCBF29CE484222325ULL;  // FNV-1a
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ULL;
  }
  return h;
}

double unit_value(std::uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

double normal_value(std::uint64_t h) {
  // Box-Muller from two independent halves of the hash stream.
  const double u1 = unit_value(mix64(h)) * (1.0 - 1e-12) + 1e-12;
  const double u2 = unit_value(mix64(h ^ 0x5851F42D4C957F2DULL));
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

}  // namespace karigane::quote_site
