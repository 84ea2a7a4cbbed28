#pragma once

#include <functional>
#include <memory>

#include "PreparedSession.h"
#include "StationOptions.h"

// A session set up before its first dialog: every input read and checked, the journal's
// pages with their files' hashes, an earlier session resumed or forgotten (--restart), the
// engine when a page needs it, and the output folder taken for this station with its files
// tried.
class SessionSetUp {
public:
    // The store that keeps the session, given the record the set-up made.
    using StoreMaker = std::function<std::unique_ptr<SessionStore>(SessionRecord record)>;

    // The session is kept by the store `makeStore` makes, or when it is empty in its journal
    // in the output folder.
    SessionSetUp(const StationOptions& options, StoreMaker makeStore);

    // Throws InputError, with nothing written (the folders are made only to try the files,
    // and removed again when that fails).
    PreparedSession Prepare() const;

private:
    // The record of a new session of the plan's pages, their files hashed.
    SessionRecord NewRecord(const PreparedSession& session) const;

    const StationOptions& m_options;
    StoreMaker m_makeStore;
};
