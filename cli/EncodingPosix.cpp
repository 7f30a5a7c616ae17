// Code page 932 through the C library's iconv.

#include <iconv.h>

#include <cerrno>

#include "Encoding.h"

namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view input) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string output(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
    bool complete = status != static_cast<size_t>(-1) && inLeft == 0 &&
                    iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    if (!complete) return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::optional<std::string> convertUtf8ToCp932(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8);
}

std::optional<std::string> convertCp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932);
}
