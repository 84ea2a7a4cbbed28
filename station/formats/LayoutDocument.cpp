#include "LayoutDocument.h"

const PageWords& LayoutDocument::NoWords()
{
    static const PageWords none;
    return none;
}
