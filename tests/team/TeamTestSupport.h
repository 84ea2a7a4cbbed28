#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"

#include <functional>
#include <string>
#include <vector>

class DatabaseConnection;

// What the team store's tests share: a database of the test's own on the build tree's
// server, made-up stations, batches and answers, and work run on several threads at once.
namespace TeamTest {

// A connection string, with the password, into an empty schema of the test's own (its
// tables go there: the connection's search path names it).
std::wstring FreshDatabase();
// The schema `schema` (TestServer::SchemaName), as `role`.
std::wstring Database(const std::wstring& schema, const std::wstring& role, const std::wstring& password);

// A station of its own instance, as an operator at a computer.
TeamStation Station(const std::string& operatorName);

// A batch of `pages` pages, each with a TSV of its own (its SHA-256 true, as the database
// checks) and every third one to be recognised by the station that takes it.
TeamBatchDefinition Batch(DatabaseConnection& connection, int pages);
// The SHA-256 of `content`, as the server computes it.
std::string Sha256(DatabaseConnection& connection, const std::string& content);

// An answer of `station` to word `index` of `page`: OK on `text`, corrected to `corrected`
// when that is not empty.
TeamAnswer Answer(const TeamStation& station, std::int64_t sequence, int page, int index, const std::string& text,
                  const std::string& corrected = "");

// Runs each of `work` on a thread of its own, all at once, and waits for them; a failure
// (an exception) of one fails the test.
void AtOnce(const std::vector<std::function<void()>>& work);

// The one number `sql` selects (-1 when it selects no row); ends the transaction.
long long Count(DatabaseConnection& connection, const std::wstring& sql);
// How often `part` stands in `text` (a station's output).
size_t Occurrences(const std::string& text, const std::string& part);
// The file's bytes; empty when it cannot be read.
std::string FileText(const std::wstring& path);
// Writes `content` as the file's whole content; the test fails when it cannot.
void WriteText(const std::wstring& path, const std::string& content);
// `text` in double quotes, for a command line.
std::wstring Quoted(const std::wstring& text);

} // namespace TeamTest
