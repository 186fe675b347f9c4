#pragma once
#include <string>

// The current date in the system's short date format and the current time
// in its long time format.
std::string ShortDateText();
std::string LongTimeText();
