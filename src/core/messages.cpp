// The reader's language and the catalogue lookups: see messages.h.
#include "core/messages.h"

#include <libintl.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace karigane {
namespace {

constexpr const char* kDomain = "karigane";

// Set once by choose_reader_language, before any thread; read by every thread after.
std::atomic<bool> g_english{false};

bool is_set(const char* value) { return value != nullptr && *value != '\0'; }

// "en", "en_US.UTF-8", "en@quot": the language part is "en".
bool names_english(const char* locale) {
  return std::strncmp(locale, "en", 2) == 0 &&
         (locale[2] == '\0' || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
}

}  // namespace

reader_language language_of(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (is_set(value)) {
      return names_english(value) ? reader_language::english : reader_language::japanese;
    }
  }
  return reader_language::japanese;
}

void choose_reader_language(const std::string& locale_folder) {
  const reader_language language =
      language_of(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  if (language != reader_language::english || locale_folder.empty()) return;
  // gettext ignores LANGUAGE only under the "C" locale; the reader's own locale may not be
  // generated on this machine, and C.UTF-8 always is. LANGUAGE then names the catalogue.
  const char* messages_locale = std::setlocale(LC_MESSAGES, "");
  if (messages_locale == nullptr || std::strcmp(messages_locale, "C") == 0 ||
      std::strcmp(messages_locale, "POSIX") == 0) {
    if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) return;
  }
  ::setenv("LANGUAGE", "en", 1);
  if (::bindtextdomain(kDomain, locale_folder.c_str()) == nullptr) return;
  // The catalogue is UTF-8, and so is every text the programs print, whatever LC_CTYPE says.
  if (::bind_textdomain_codeset(kDomain, "UTF-8") == nullptr) return;
  g_english.store(true, std::memory_order_release);
}

const char* tr(const char* msgid) {
  if (!g_english.load(std::memory_order_acquire)) return msgid;
  return ::dgettext(kDomain, msgid);
}

std::string format_message(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(text.size() + 32);
  std::size_t next = 0;  // the argument a plain "%s" takes
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '%' || i + 1 == text.size()) {
      out += c;
      ++i;
      continue;
    }
    if (text[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    std::size_t position = 0;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9' && position < 100) {
      position = position * 10 + static_cast<std::size_t>(text[j] - '0');
      ++j;
    }
    std::size_t index = next;
    if (j > i + 1) {
      if (j >= text.size() || text[j] != '$' || position == 0) {
        out += c;  // not a directive: the text as it stands
        ++i;
        continue;
      }
      index = position - 1;
      ++j;
    }
    if (j >= text.size() || text[j] != 's') {
      out += c;
      ++i;
      continue;
    }
    if (index < args.size()) out += *(args.begin() + index);
    if (j == i + 1) ++next;
    i = j + 1;
  }
  return out;
}

std::string tr_format(const char* msgid, std::initializer_list<std::string_view> args) {
  return format_message(tr(msgid), args);
}

}  // namespace karigane
