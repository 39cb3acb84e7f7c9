// The texts the programs print for a person, in the reader's language. Every such text is
// written in Japanese in the code (the msgid), and that is what a reader sees unless the
// environment asks for English (LC_ALL, else LC_MESSAGES, else LANG beginning with "en"); then
// the translation in the gettext catalogue karigane.mo is shown. The language is decided here
// from the variables, not by setlocale, so that English works where no English locale is
// generated. Status texts, the run log and the stored files never pass through here: they are
// the same under every locale (scripts parse them).
//
// Mark a text with tr("...") or tr_format("...%s...", {arg}) where it is printed; see
// docs/development.md for regenerating po/.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace karigane {

enum class reader_language { japanese, english };

// The language the variables ask for; null or empty values count as unset.
reader_language language_of(const char* lc_all, const char* lc_messages, const char* lang);

// Decides the reader's language from the environment and, for English, opens the catalogue in
// `locale_folder` (holding en/LC_MESSAGES/karigane.mo). Call once at the start of main(),
// before any thread starts. Without this call every text is Japanese.
void choose_reader_language(const std::string& locale_folder);

// The text in the reader's language: `msgid` itself, or its translation.
const char* tr(const char* msgid);

// tr(msgid) with its "%s" (or positional "%1$s") directives replaced by `args` in order; "%%"
// is "%". Only strings are substituted: nothing in a catalogue can read beyond `args`.
std::string tr_format(const char* msgid, std::initializer_list<std::string_view> args);

// The substitution of tr_format on a text already translated.
std::string format_message(std::string_view text, std::initializer_list<std::string_view> args);

}  // namespace karigane
