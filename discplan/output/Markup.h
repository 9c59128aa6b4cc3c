// Text from the disc made fit for the markup outputs (the HTML page, the
// JUnit XML), which are UTF-8.
#pragma once

#include <string>

// text as valid UTF-8 of the characters XML 1.0 allows: a byte that begins
// no valid UTF-8 sequence (an overlong form, a surrogate, past U+10FFFF), a
// control character other than tab, line feed and carriage return, U+FFFE
// and U+FFFF each become U+FFFD. Disc names can hold any of them.
std::string MarkupText(const std::string& text);

// MarkupText's result with & < > " ' as character references: fit for an
// HTML element's text and for a quoted attribute value.
std::string HtmlEscape(const std::string& text);
