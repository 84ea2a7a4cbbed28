#pragma once

#include <map>
#include <string>

namespace tarsil {
class DialogDriver;
}

// Corrections typed by themselves, for unattended runs (--answers): a UTF-8 file of
// "recognised<TAB>typed" lines. A dialog whose recognised text is a line's first field gets
// the second typed into its text field, as an operator would type it, before the
// unattended answer.
class TypedAnswers {
public:
    // The dialog's text field.
    static constexpr int kTextField = 1000;

    // Throws InputError naming the file and the line.
    static TypedAnswers Read(const std::wstring& path);

    bool Empty() const { return m_typed.empty(); }
    // Queues the typing of the answer for a word recognised as `recognised` (UTF-8); false
    // when there is none.
    bool Type(tarsil::DialogDriver& driver, const std::string& recognised) const;

private:
    std::map<std::string, std::wstring> m_typed;
};
