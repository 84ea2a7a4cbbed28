#include "StatementParameters.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>

StatementParameters::Parameter& StatementParameters::At(int number)
{
    if (m_parameters.size() < static_cast<size_t>(number)) {
        m_parameters.resize(static_cast<size_t>(number));
    }
    Parameter& parameter = m_parameters[static_cast<size_t>(number) - 1];
    parameter = Parameter();
    return parameter;
}

void StatementParameters::SetText(int number, const std::wstring& value)
{
    Parameter& parameter = At(number);
    parameter.kind = Kind::Text;
    parameter.text = value;
}

void StatementParameters::SetInteger(int number, std::int64_t value)
{
    Parameter& parameter = At(number);
    parameter.kind = Kind::Integer;
    parameter.integer = value;
}

void StatementParameters::SetReal(int number, double value)
{
    Parameter& parameter = At(number);
    parameter.kind = Kind::Real;
    parameter.real = value;
}

void StatementParameters::SetBytes(int number, const std::vector<unsigned char>& value)
{
    Parameter& parameter = At(number);
    parameter.kind = Kind::Bytes;
    parameter.bytes = value;
}

void StatementParameters::SetBoolean(int number, bool value)
{
    Parameter& parameter = At(number);
    parameter.kind = Kind::Boolean;
    parameter.boolean = value ? 1 : 0;
}

void StatementParameters::SetNull(int number)
{
    At(number).kind = Kind::Null;
}

SQLRETURN StatementParameters::BindTo(SQLHSTMT statement, int& failed)
{
    for (size_t index = 0; index < m_parameters.size(); ++index) {
        Parameter& parameter = m_parameters[index];
        const auto number = static_cast<SQLUSMALLINT>(index + 1);
        struct Binding {
            SQLSMALLINT cType;
            SQLSMALLINT sqlType;
            SQLULEN columnSize; // never 0: a driver may take that for "unknown"
            SQLPOINTER buffer;
            SQLLEN bytes;
        };
        Binding binding = {SQL_C_WCHAR, SQL_WVARCHAR, 1, nullptr, SQL_NULL_DATA};
        switch (parameter.kind) {
        case Kind::Null:
            break;
        case Kind::Text:
            binding = {SQL_C_WCHAR, SQL_WVARCHAR, std::max<SQLULEN>(parameter.text.size(), 1), &parameter.text[0],
                       static_cast<SQLLEN>(parameter.text.size() * sizeof(wchar_t))};
            break;
        case Kind::Integer:
            binding = {SQL_C_SBIGINT, SQL_BIGINT, 19, &parameter.integer, sizeof(parameter.integer)};
            break;
        case Kind::Real:
            binding = {SQL_C_DOUBLE, SQL_DOUBLE, 15, &parameter.real, sizeof(parameter.real)};
            break;
        case Kind::Bytes: // bytea
            binding = {SQL_C_BINARY, SQL_VARBINARY, std::max<SQLULEN>(parameter.bytes.size(), 1),
                       parameter.bytes.data(), static_cast<SQLLEN>(parameter.bytes.size())};
            break;
        case Kind::Boolean:
            binding = {SQL_C_BIT, SQL_BIT, 1, &parameter.boolean, sizeof(parameter.boolean)};
            break;
        }
        parameter.length = binding.bytes;
        const SQLRETURN result =
            ::SQLBindParameter(statement, number, SQL_PARAM_INPUT, binding.cType, binding.sqlType, binding.columnSize,
                               0, binding.buffer, std::max<SQLLEN>(binding.bytes, 0), &parameter.length);
        if (!SQL_SUCCEEDED(result)) {
            failed = number;
            return result;
        }
    }
    return SQL_SUCCESS;
}
