#pragma once

#include <windows.h>

#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

// The values of a prepared statement's parameters (the "?" of its text, numbered from 1),
// kept where the driver reads them while the statement runs: they must stay in place, and
// unchanged, until the run has ended.
class StatementParameters {
public:
    // Parameter `number` (from 1) takes a value, kept until it is set again.
    void SetText(int number, const std::wstring& value); // UTF-16, as SQL_C_WCHAR
    void SetInteger(int number, std::int64_t value);
    void SetReal(int number, double value);
    void SetBytes(int number, const std::vector<unsigned char>& value); // bytea
    void SetBoolean(int number, bool value);
    void SetNull(int number);

    // Binds every value to `statement`. Returns the first failed SQLBindParameter's result,
    // with that parameter's number in `failed`, or SQL_SUCCESS.
    SQLRETURN BindTo(SQLHSTMT statement, int& failed);

private:
    enum class Kind { Null, Text, Integer, Real, Bytes, Boolean };
    struct Parameter {
        Kind kind = Kind::Null;
        std::wstring text;
        std::int64_t integer = 0;
        double real = 0;
        std::vector<unsigned char> bytes;
        unsigned char boolean = 0;
        SQLLEN length = 0;
    };

    // The parameter, cleared, made when it is the first of its number.
    Parameter& At(int number);

    std::vector<Parameter> m_parameters;
};
