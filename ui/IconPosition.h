#pragma once
// Where a minimised window draws its icon: centred in the client area. The halves are
// signed integer divisions after adding one, rounding toward zero.

#include <windows.h>

inline POINT centredIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return POINT{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
