// Code page 932 through the Windows conversion calls, whatever the system's ANSI code page.

#include <windows.h>

#include "Encoding.h"

namespace {

constexpr UINT kCodePage932 = 932;

std::optional<std::wstring> toWide(UINT codePage, std::string_view text) {
    if (text.empty()) return std::wstring();
    int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), size);
    return wide;
}

std::optional<std::string> fromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return std::string();
    // UTF-8 takes no default character; code page 932 reports when it had to use one.
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), text.data(),
                        size, nullptr, usedDefaultOut);
    return text;
}

}  // namespace

std::optional<std::string> convertUtf8ToCp932(std::string_view utf8) {
    std::optional<std::wstring> wide = toWide(CP_UTF8, utf8);
    if (!wide) return std::nullopt;
    return fromWide(kCodePage932, *wide);
}

std::optional<std::string> convertCp932ToUtf8(std::string_view cp932) {
    std::optional<std::wstring> wide = toWide(kCodePage932, cp932);
    if (!wide) return std::nullopt;
    return fromWide(CP_UTF8, *wide);
}
