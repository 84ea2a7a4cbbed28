#pragma once

#include "CObject.h"

// Base of the framework's exceptions. They are thrown by pointer and caught as
// CException*; whoever catches one frees it with Delete().
class CException : public CObject {
public:
    explicit CException(bool autoDelete = true) noexcept;

    // Frees a caught exception. Exceptions kept in static storage (the one for an
    // exhausted heap, which cannot be allocated when it is needed) are left alone.
    void Delete();

protected:
    ~CException() override = default;

private:
    bool m_autoDelete;
};
