// Where a mistake on a disc lies, so that a finding can point at the fix.
// Pure code over text.
#pragma once

#include <stddef.h>

#include <string>

// The part of a CmdlineParam template (UTF-8) that Setup.exe refuses: the
// conversion that is neither "%s" nor "%%" with its flags, width and
// character ("%d", "%-5s", "%1$s"), a lone "%" at the end, or a third "%s".
// Empty when the template is taken.
std::string RefusedConversion(const std::string& templ);

// 1 when name looks like a misspelt known: not the same, but at most two
// letters off (left out, added, changed, or two side by side swapped), or
// cut short or lengthened where the shorter of the two still has five
// letters. Both are given in one case (case-folded by the caller).
int IsNearName(const std::u32string& name, const std::u32string& known);
