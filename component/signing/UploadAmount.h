// The amount of a detail record as the confirmation prompt shows it.
#pragma once

#include <string>
#include <string_view>

// From the 15 amount characters of a detail record: leading "0" characters skipped (at
// most 12, so three remain), the last two the minor part, the major part grouped by three
// with ",", and "." between the two: 000000001234567 gives 12,345.67. The characters are
// shown as they stand, digits or not.
std::string AmountText(std::string_view amount);
