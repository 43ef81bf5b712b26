#pragma once

#include <ctime>
#include <string>

// The local time of day, for names and stamps the user reads.
class CLocalTime {
public:
    // `t` formatted by strftime's `format` in the local time zone; "" when the
    // time cannot be converted.
    static std::string Format(std::time_t t, const char* format);
};
