#include "platform/common/CLocalTime.h"

std::string CLocalTime::Format(std::time_t t, const char* format) {
    std::tm local{};
    char text[64] = "";
    if (localtime_r(&t, &local) == nullptr ||
        std::strftime(text, sizeof text, format, &local) == 0) {
        return {};
    }
    return text;
}
