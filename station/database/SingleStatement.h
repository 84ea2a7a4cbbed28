#pragma once

#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class DatabaseConnection;

// The commonest transaction of the team's store: one statement alone, its values bound to
// its "?" in order, run, its result read, and the transaction ended: committed, or rolled
// back for a statement that only reads. A failure (DatabaseError) rolls it back.
//
//   const bool renewed = SingleStatement::Commit(connection, L"UPDATE pages SET ... WHERE id = ?", {page},
//                                                [](DatabaseStatement& update) { return update.RowCount() == 1; });
class SingleStatement {
public:
    // The value of one "?": UTF-8 text (bound as BindUtf8 binds it), an integer, a real or a
    // boolean.
    using Value = std::variant<std::string, std::int64_t, double, bool>;
    using Values = std::vector<Value>;

    // Runs `sql` with `values` and commits: what `read`, given the statement run, returned.
    template <typename Read>
    static auto Commit(DatabaseConnection& connection, const std::wstring& sql, const Values& values, Read read)
    {
        return Run(connection, sql, values, read, true);
    }
    // The same for a statement whose result nobody reads.
    static void Commit(DatabaseConnection& connection, const std::wstring& sql, const Values& values);
    // The same for a statement that only reads: the transaction ends keeping nothing.
    template <typename Read>
    static auto Query(DatabaseConnection& connection, const std::wstring& sql, const Values& values, Read read)
    {
        return Run(connection, sql, values, read, false);
    }

    // Binds `values` to the statement's parameters from number `first` on: the same values
    // in a statement of a longer transaction.
    static void Bind(DatabaseStatement& statement, int first, const Values& values);

private:
    template <typename Read>
    static auto Run(DatabaseConnection& connection, const std::wstring& sql, const Values& values, Read& read,
                    bool keep)
    {
        DatabaseTransaction transaction(connection);
        DatabaseStatement statement(connection, sql);
        Bind(statement, 1, values);
        statement.Execute();
        auto result = read(statement);
        if (keep) {
            transaction.Commit();
        } else {
            transaction.Rollback();
        }
        return result;
    }
};
