#include "TextLookupSlot.h"

TextLookupFn TextLookupSlot = nullptr;
