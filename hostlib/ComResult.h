#pragma once

#include <windows.h>

#include <string>

// A COM call's failure code as a reason names it: "0x88982F50".
std::string ComResultCode(HRESULT result);
