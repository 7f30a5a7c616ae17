#include "Resources.h"

#include "WinApp.h"

HINSTANCE AfxFindResourceHandle(const char*, const char*) { return AfxGetInstanceHandle(); }

std::string loadResourceString(UINT id) {
    char buffer[1024];
    const int length = ::LoadStringA(AfxFindResourceHandle(MAKEINTRESOURCEA(id / 16 + 1), RT_STRING),
                                     id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}
