#pragma once

#include "Box.h"

// One character as the recogniser saw it: where it stands on the page and how sure the
// recogniser was of it (0 to 100). Shared by every reader and by the page's words.
struct RecognisedCharacter {
    Box box;
    double confidence = 0;
};
