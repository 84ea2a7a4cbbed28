#include "JournalStore.h"

#include <utility>

#include "SessionJournal.h"

JournalStore::JournalStore(SessionRecord record, WriteFn write)
    : RecordedSession(std::move(record))
    , m_write(std::move(write))
{
}

void JournalStore::Write(const SessionRecord& record)
{
    m_write(SessionJournal::ToJson(record));
}
