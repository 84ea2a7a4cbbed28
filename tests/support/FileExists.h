#pragma once

#include <string>

// Whether a file or folder is at `path`.
bool Exists(const std::wstring& path);
