#include "CException.h"

CException::CException(bool autoDelete) noexcept
    : m_autoDelete(autoDelete)
{
}

void CException::Delete()
{
    if (m_autoDelete) {
        delete this;
    }
}
