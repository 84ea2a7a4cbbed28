#include "CResourceException.h"

void AfxThrowResourceException()
{
    throw new CResourceException();
}
