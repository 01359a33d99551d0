// The hl_* device expects a PIN as typed on a Hebrew keyboard, in code page 862: each
// Latin letter (either case) and a few punctuation keys become the Hebrew letter on
// the same key, and Hebrew letters of code page 1255 move to their code page 862
// values. Digits and every other byte pass unchanged.
#pragma once

#include <string>
#include <string_view>

std::string ToHebrewKeyboard(std::string_view text);
