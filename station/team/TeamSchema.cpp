#include "TeamSchema.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "SingleStatement.h"
#include "TeamRefusal.h"

#include <string>

namespace {

// Version 1: the statements that make the tables, which the upgrades below then bring to the
// current version (a new database goes the way an old one does).
const wchar_t* const kCreate[] = {
    L"CREATE TABLE tarsil_schema ("
    L" singleton boolean PRIMARY KEY DEFAULT true CHECK (singleton),"
    L" version integer NOT NULL)",

    L"CREATE TABLE tarsil_batches ("
    L" id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    L" name text NOT NULL UNIQUE,"
    L" below double precision NOT NULL,"
    L" char_below double precision NOT NULL,"
    L" answers bigint NOT NULL DEFAULT 0,"
    L" created_at timestamptz NOT NULL DEFAULT now(),"
    L" created_by text NOT NULL)",

    L"CREATE TABLE tarsil_inputs ("
    L" batch_id bigint NOT NULL REFERENCES tarsil_batches (id),"
    L" position integer NOT NULL,"
    L" path text NOT NULL,"
    L" PRIMARY KEY (batch_id, position))",

    L"CREATE TABLE tarsil_pages ("
    L" batch_id bigint NOT NULL REFERENCES tarsil_batches (id),"
    L" position integer NOT NULL CHECK (position > 0),"
    L" name text NOT NULL,"
    L" image_path text NOT NULL,"
    L" image_sha256 text NOT NULL,"
    L" frame integer NOT NULL,"
    L" ocr_page integer NOT NULL,"
    L" by_station boolean NOT NULL,"
    L" state text NOT NULL DEFAULT 'waiting'"
    L"  CHECK (state IN ('waiting', 'recognised', 'in progress', 'done', 'failed')),"
    L" failure text NOT NULL DEFAULT '',"
    L" failed_at timestamptz,"
    L" holder_operator text,"
    L" holder_computer text,"
    L" holder_instance text,"
    L" lease_until timestamptz,"
    L" lease_serial bigint NOT NULL DEFAULT 0,"
    L" PRIMARY KEY (batch_id, position))",

    L"CREATE TABLE tarsil_documents ("
    L" batch_id bigint NOT NULL,"
    L" position integer NOT NULL,"
    L" kind text NOT NULL CHECK (kind IN ('tsv', 'hocr', 'xml')),"
    L" by_station boolean NOT NULL,"
    L" path text NOT NULL,"
    L" sha256 text NOT NULL,"
    L" content bytea NOT NULL,"
    L" recorded_at timestamptz NOT NULL DEFAULT now(),"
    L" PRIMARY KEY (batch_id, position, kind),"
    L" FOREIGN KEY (batch_id, position) REFERENCES tarsil_pages (batch_id, position),"
    L" CHECK (sha256 = encode(sha256(content), 'hex')))",

    L"CREATE TABLE tarsil_stations ("
    L" instance text PRIMARY KEY,"
    L" batch_id bigint NOT NULL REFERENCES tarsil_batches (id),"
    L" operator text NOT NULL,"
    L" computer text NOT NULL,"
    L" started_at timestamptz NOT NULL DEFAULT now())",

    L"CREATE TABLE tarsil_answers ("
    L" answer_id text PRIMARY KEY,"
    L" batch_id bigint NOT NULL,"
    L" position integer NOT NULL,"
    L" word_index integer NOT NULL,"
    L" place integer NOT NULL,"
    L" box_left integer NOT NULL,"
    L" box_top integer NOT NULL,"
    L" box_width integer NOT NULL,"
    L" box_height integer NOT NULL,"
    L" text text NOT NULL,"
    L" confidence double precision NOT NULL,"
    L" outcome text NOT NULL CHECK (outcome IN ('ok', 'ignore', 'skipped')),"
    L" reason text NOT NULL,"
    L" corrected text NOT NULL,"
    L" changed boolean NOT NULL,"
    L" proposed text NOT NULL,"
    L" proposal text NOT NULL,"
    L" train boolean NOT NULL,"
    L" size double precision NOT NULL,"
    L" orientation double precision NOT NULL,"
    L" seconds double precision NOT NULL,"
    L" answer_order bigint CHECK ((answer_order IS NULL) = (outcome = 'skipped')),"
    L" operator text NOT NULL,"
    L" computer text NOT NULL,"
    L" instance text NOT NULL,"
    L" answered_at timestamptz NOT NULL DEFAULT now(),"
    L" UNIQUE (batch_id, position, word_index),"
    L" UNIQUE (batch_id, answer_order),"
    L" FOREIGN KEY (batch_id, position) REFERENCES tarsil_pages (batch_id, position))",
};

// The statements that bring the tables of version `from` to the next. Each upgrade runs in
// the transaction that records the new version.
struct Upgrade {
    int from;
    std::vector<const wchar_t*> statements;
};
const Upgrade* FindUpgrade(int from)
{
    static const std::vector<Upgrade> kUpgrades = {
        // Version 2: the engine settings a batch's pages are recognised with, the batch's own
        // (fixed by its first station, or for a batch made before, by the next to open it):
        // its language and page segmentation mode ('' for the engine's default), and the
        // engine's version as its first output names it.
        {1,
         {L"ALTER TABLE tarsil_batches ADD COLUMN engine_lang text, ADD COLUMN engine_psm text,"
          L" ADD COLUMN engine_version text"}},
        // Version 3: why each word was shown ('' where its station kept no reason) and what
        // the error model weighs of it beside its confidence (null where not kept: the least
        // confidence of its characters, whether a second reading read it otherwise), so that
        // every station's answers count for the batch's learning; and the batch's rule, its
        // --catch goal beside its thresholds (0: the words below `below`, as a batch made
        // before chose them).
        {2,
         {L"ALTER TABLE tarsil_answers ADD COLUMN chosen_for text NOT NULL DEFAULT '',"
          L" ADD COLUMN least_char_confidence double precision, ADD COLUMN second_differs boolean",
          L"ALTER TABLE tarsil_batches ADD COLUMN catch_percent double precision NOT NULL DEFAULT 0"}},
    };
    for (const Upgrade& upgrade : kUpgrades) {
        if (upgrade.from == from) {
            return &upgrade;
        }
    }
    return nullptr;
}

// Two stations starting on an empty database at once: one makes the tables, the other waits
// for it and then finds them. A lock of the session, not of the transaction: the transaction
// that looks for the tables must begin after the wait, or the server answers from what it
// knew of its catalog before (its cache of names), and the tables made meanwhile are missed.
// (Any constant, the same in every station.)
const wchar_t kSchemaLock[] = L"SELECT pg_advisory_lock(7361001)";
const wchar_t kSchemaUnlock[] = L"SELECT pg_advisory_unlock(7361001)";

// Holds the schema's lock for its scope.
class SchemaLock {
public:
    explicit SchemaLock(DatabaseConnection& connection);
    ~SchemaLock();
    SchemaLock(const SchemaLock&) = delete;
    SchemaLock& operator=(const SchemaLock&) = delete;

private:
    DatabaseConnection& m_connection;
};

void Run(DatabaseConnection& connection, const wchar_t* sql)
{
    DatabaseStatement statement(connection, sql);
    statement.Execute();
}

// There are no tables at all.
constexpr int kNoTables = -1;

// The version, kNoTables when there are none; the transaction stays open.
int ReadVersion(DatabaseConnection& connection)
{
    DatabaseStatement exists(connection, L"SELECT to_regclass('tarsil_schema') IS NOT NULL");
    exists.Execute();
    if (!exists.Fetch() || !exists.Boolean(1).value_or(false)) {
        return kNoTables;
    }
    DatabaseStatement version(connection, L"SELECT version FROM tarsil_schema");
    version.Execute();
    return version.Fetch() ? static_cast<int>(version.Integer(1).value_or(0)) : 0;
}

[[noreturn]] void RefuseNewer(int version)
{
    throw TeamRefusal(TeamRefusalKind::NewerSchema,
                      "the team database's tables are of version " + std::to_string(version) +
                          ", newer than this station's " + std::to_string(TeamSchema::kVersion) +
                          ": use a station of the version the other stations use");
}

// Makes the tables where there are none, or brings older ones up to date, in the open
// transaction.
void MakeCurrent(DatabaseConnection& connection, int version)
{
    const bool made = version == kNoTables;
    if (made) {
        for (const wchar_t* sql : kCreate) {
            Run(connection, sql);
        }
        version = 1;
    }
    for (; version < TeamSchema::kVersion; ++version) {
        const Upgrade* upgrade = FindUpgrade(version);
        if (upgrade == nullptr) {
            throw TeamRefusal(TeamRefusalKind::OlderSchema,
                              "the team database's tables are of version " + std::to_string(version) +
                                  ", which this station (version " + std::to_string(TeamSchema::kVersion) +
                                  ") cannot upgrade: finish the batches with the stations of that version, "
                                  "or give this station a new database");
        }
        for (const wchar_t* sql : upgrade->statements) {
            Run(connection, sql);
        }
    }
    DatabaseStatement record(connection, made ? L"INSERT INTO tarsil_schema (version) VALUES (?)"
                                              : L"UPDATE tarsil_schema SET version = ?");
    record.BindInteger(1, TeamSchema::kVersion);
    record.Execute();
}

SchemaLock::SchemaLock(DatabaseConnection& connection)
    : m_connection(connection)
{
    SingleStatement::Commit(connection, kSchemaLock, {});
}

SchemaLock::~SchemaLock()
{
    // A connection lost meanwhile took the lock with it.
    try {
        SingleStatement::Commit(m_connection, kSchemaUnlock, {});
    } catch (...) { // NOLINT(bugprone-empty-catch)
    }
}

} // namespace

int TeamSchema::RecordedVersion(DatabaseConnection& connection)
{
    DatabaseTransaction transaction(connection);
    const int version = ReadVersion(connection);
    transaction.Rollback();
    return version == kNoTables ? 0 : version;
}

void TeamSchema::Ensure(DatabaseConnection& connection)
{
    int version = kNoTables;
    {
        DatabaseTransaction transaction(connection);
        version = ReadVersion(connection);
        transaction.Rollback();
    }
    if (version == kVersion) {
        return;
    }
    if (version > kVersion) {
        RefuseNewer(version);
    }
    const SchemaLock lock(connection);
    DatabaseTransaction transaction(connection);
    try {
        version = ReadVersion(connection); // another station may have been first
        if (version > kVersion) {
            RefuseNewer(version);
        }
        if (version < kVersion) {
            MakeCurrent(connection, version);
        }
        transaction.Commit();
    } catch (const DatabaseError& error) {
        if (error.SqlState() != "42501") { // insufficient privilege
            throw;
        }
        if (version == kNoTables) {
            throw TeamRefusal(TeamRefusalKind::MissingTables,
                              "the team database has no tables yet, and this role may not make them: start the "
                              "first station with the role that owns the database (" +
                                  std::string(error.what()) + ")");
        }
        throw TeamRefusal(TeamRefusalKind::OlderSchema,
                          "the team database's tables are of version " + std::to_string(version) +
                              ", older than this station's " + std::to_string(kVersion) +
                              ", and this role may not upgrade them: start one station with the role that owns "
                              "the database, which upgrades them (" +
                              std::string(error.what()) + ")");
    }
}

const std::vector<std::wstring>& TeamSchema::Tables()
{
    static const std::vector<std::wstring> kTables = {L"tarsil_schema",   L"tarsil_batches",  L"tarsil_inputs",
                                                      L"tarsil_pages",    L"tarsil_documents", L"tarsil_stations",
                                                      L"tarsil_answers"};
    return kTables;
}
