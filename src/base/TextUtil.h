// Small text helpers shared by every subsystem.
#pragma once

#include <string>

namespace base {

// Trims `text` in place and returns it: mode <= 0 trims the start, mode >= 0 the end (so -1 the start
// only, 0 both ends, 1 the end only).
std::string& TrimText(std::string& text, int mode = 0);

// Field `index` (from 0) of `text` split at `separator`; the empty text for a negative index or one past
// the last field.
std::string GetField(const std::string& text, char separator, int index);

// The number at the start of `text`, read like atoi (leading blanks, a sign, digits up to the first
// other character; 0 when there are none) but clamped to the range of int instead of overflowing.
int ReadInt(const char* text);

// A lower-cased copy, with the platform's lower-casing for the user's code page.
std::string LowerCopy(const std::string& text);

} // namespace base
