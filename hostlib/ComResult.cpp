#include "ComResult.h"

#include <cstdio>

std::string ComResultCode(HRESULT result)
{
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result)));
    return text;
}
