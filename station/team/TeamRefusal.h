#pragma once

#include <stdexcept>
#include <string>

// What the team store refuses to work with, each a case of bad input for the station (exit
// 2, before any dialog): the message says what and, where there is one, names the file.
enum class TeamRefusalKind {
    NewerSchema,    // the database's tables are of a newer version than this station knows
    OlderSchema,    // of an older version that this station cannot upgrade, or may not
    MissingTables,  // there are none, and the station's role may not make them
    InputsDiffer,   // a joining station's inputs are not the batch's
    NoSuchBatch,    // a station without inputs named a batch that does not exist
    OutboxUnusable, // the file of unsent answers cannot be read or written
};

class TeamRefusal : public std::runtime_error {
public:
    TeamRefusal(TeamRefusalKind kind, const std::string& message);

    TeamRefusalKind Kind() const { return m_kind; }

private:
    TeamRefusalKind m_kind;
};
