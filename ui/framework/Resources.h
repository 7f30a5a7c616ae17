#pragma once
// Finding the program's own resources.

#include <windows.h>

#include <string>

// The module that holds the resource: the program itself, which carries all of them.
HINSTANCE AfxFindResourceHandle(const char* name, const char* type);

// String-table entry id of the program's resources; an absent entry gives "".
std::string loadResourceString(UINT id);
