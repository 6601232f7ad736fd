// Utilities on fixed-length, blank-padded texts. Each routine works in place and
// keeps the text's length: removed characters leave blanks at the end. Only the
// blank (32) counts as padding; a tab is an ordinary character unless noted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::textio {

// The text cut to or blank-padded to exactly `length` characters.
std::string fixed_text(std::string_view s, std::size_t length);

// a == b, in vectors: a C library's memcmp may go byte by byte (WebAssembly's does),
// and the equation text (512 characters) is compared at every evaluation.
bool same_text(std::string_view a, std::string_view b);
// The text up to its last non-blank character.
std::string_view trimmed(std::string_view s);

std::size_t s_len_trim(std::string_view s);
void s_adjustl(std::string& s);                     // drops leading blanks and tabs
void s_blank_delete(std::string& s);                // deletes every blank and tab
std::size_t ch_index(std::string_view s, char ch);  // 1-based, within the trimmed text; 0 if absent
void remove_sp_tab_ctrl(std::string& s);            // keeps only codes 33..255 of the trimmed text
void uppercase(std::string& s);                     // a..z to A..Z in the trimmed text
void s_whitespace_blank(std::string& s);            // codes 9..13 to blanks in the trimmed text

// The text broken at blanks into lines of at most `width` characters (a longer word
// stands alone), the first starting with `first`, the others indented to its width.
// One value through a printf pattern ("%.3g"), for the tables' fixed layouts.
std::string formatted(const char* pattern, double v);
// Text right-aligned in a column of `width`, after at least one blank.
std::string right_aligned(const std::string& text, std::size_t width);

std::vector<std::string> wrapped(std::string_view first, std::string_view text, std::size_t width);

// The text for XML or HTML: & < > " (and ' when `apostrophe`) as entities, and every
// byte sequence that is no XML character as '?': bytes that are no UTF-8, overlong
// forms, surrogates, U+FFFE, U+FFFF, values above U+10FFFF and controls other than
// tab and newline. A file name may hold any bytes; the document must still parse.
std::string markup_escaped(std::string_view text, bool apostrophe);

// The characters of UTF-8 text, each byte sequence that markup_escaped writes as '?'
// given as U+FFFD: for writers of other encodings, which then refuse the same bytes.
std::u32string code_points(std::string_view text);

}  // namespace quillon::textio
