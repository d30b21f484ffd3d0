// Saves what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace vandrel::testing {

bool SaveWindowPng(HWND window, const std::string& path);

}  // namespace vandrel::testing
