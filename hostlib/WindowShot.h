#pragma once

#include <windows.h>

#include <string>

// Saves the window as it is on the screen now, frame included, as a PNG file. Returns
// false, with the reason in `error`, when the picture cannot be taken or the file cannot be
// written.
bool SaveScreenshot(HWND window, const std::wstring& path, std::string& error);
