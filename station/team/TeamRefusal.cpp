#include "TeamRefusal.h"

TeamRefusal::TeamRefusal(TeamRefusalKind kind, const std::string& message)
    : std::runtime_error(message)
    , m_kind(kind)
{
}
