#pragma once

#include <functional>
#include <string>

#include "RecordedSession.h"

// The session kept in its journal (session.json, in the output folder): the whole record
// written again with every answer, so that an interrupted session loses none and a later run
// goes on from the file.
class JournalStore : public RecordedSession {
public:
    // Writes the journal's text where it belongs, atomically; throws when it cannot.
    using WriteFn = std::function<void(const std::string& text)>;

    JournalStore(SessionRecord record, WriteFn write);

protected:
    void Write(const SessionRecord& record) override;

private:
    WriteFn m_write;
};
