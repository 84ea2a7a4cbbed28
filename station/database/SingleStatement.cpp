#include "SingleStatement.h"

void SingleStatement::Commit(DatabaseConnection& connection, const std::wstring& sql, const Values& values)
{
    Commit(connection, sql, values, [](DatabaseStatement&) { return true; });
}

void SingleStatement::Bind(DatabaseStatement& statement, int first, const Values& values)
{
    int number = first;
    for (const Value& value : values) {
        if (const auto* text = std::get_if<std::string>(&value)) {
            statement.BindUtf8(number, *text);
        } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            statement.BindInteger(number, *integer);
        } else if (const auto* real = std::get_if<double>(&value)) {
            statement.BindReal(number, *real);
        } else {
            statement.BindBoolean(number, std::get<bool>(value));
        }
        ++number;
    }
}
