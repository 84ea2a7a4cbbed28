#include "TypedAnswers.h"

#include "InputError.h"
#include "InputFile.h"
#include "TarsilDlg29Driver.h"
#include "Utf8.h"

TypedAnswers TypedAnswers::Read(const std::wstring& path)
{
    const std::string content = InputFile::Read(path);
    TypedAnswers answers;
    std::map<std::string, int> lineOf;
    size_t start = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (int line = 1; start < content.size(); ++line) {
        size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end;
        std::string text = content.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (text.empty()) {
            continue;
        }
        std::wstring wide;
        if (!Utf8ToWide(text, wide)) {
            throw InputError(path, line, "not valid UTF-8");
        }
        const size_t tab = text.find('\t');
        if (tab == std::string::npos) {
            throw InputError(path, line, "no tab between the recognised text and the typed one");
        }
        const std::string recognised = text.substr(0, tab);
        const auto earlier = lineOf.find(recognised);
        if (earlier != lineOf.end()) {
            throw InputError(path, line,
                             "\"" + recognised + "\" already has an answer on line " + std::to_string(earlier->second));
        }
        lineOf[recognised] = line;
        Utf8ToWide(text.substr(tab + 1), answers.m_typed[recognised]);
    }
    return answers;
}

bool TypedAnswers::Type(tarsil::DialogDriver& driver, const std::string& recognised) const
{
    const auto found = m_typed.find(recognised);
    if (found == m_typed.end()) {
        return false;
    }
    driver.Type(kTextField, found->second);
    return true;
}
