#pragma once

#include "TeamRecords.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class DatabaseConnection;
class DatabaseStatement;

// How the store's records come from its tables' rows: one list of columns for each record,
// so that every query reads a page, a document or an answer alike.
class TeamRows {
public:
    // A page's source: 7 columns of tarsil_pages (its documents are read apart).
    static const wchar_t kPageColumns[];
    static TeamPageSource ReadPage(DatabaseStatement& row, int first);

    // An answer: 28 columns of tarsil_answers.
    static const wchar_t kAnswerColumns[];
    static TeamAnswer ReadAnswer(DatabaseStatement& row, int first);

    // The recogniser outputs of the batch's pages, by position: of one page (`position`)
    // or of all (0); only those given with the pages, or those a station made too.
    static std::map<int, std::vector<TeamDocument>> ReadDocuments(DatabaseConnection& connection, std::int64_t batch,
                                                                  int position, bool givenOnly);

    // A document's bytes as the database layer binds them.
    static std::vector<unsigned char> Bytes(const std::string& content);
    // Binds a page's document to an INSERT INTO tarsil_documents whose parameters are, in
    // order: batch, position, kind, path, sha256, content.
    static void BindDocument(DatabaseStatement& insert, std::int64_t batch, int position, const TeamDocument& document);
};
