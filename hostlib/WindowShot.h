#pragma once

#include <windows.h>

#include <string>

// Saves the window as it is on the screen now, frame included, as a PNG file.
// Returns false when the file cannot be written.
bool SaveScreenshot(HWND window, const std::wstring& path);
