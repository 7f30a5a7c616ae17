#include "Quoted.h"

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result.append(text);
    result += '"';
    return result;
}
