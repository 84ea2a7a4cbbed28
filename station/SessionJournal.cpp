#include "SessionJournal.h"

#include <algorithm>

#include <nlohmann/json.hpp>

using json = nlohmann::ordered_json;

namespace {

json OrNull(const std::string& text)
{
    return text.empty() ? json(nullptr) : json(text);
}

// A journal's numbers are as a double prints them: never longer than this.
constexpr size_t kLongestNumber = 64;

// The length of the longest run of number characters outside the text's strings. The JSON
// library reads a number with the C runtime's strtod, which under Wine takes time that
// grows with the square of the number's length: a minute for a million digits.
size_t LongestNumber(const std::string& text)
{
    size_t longest = 0;
    size_t run = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            inString = escaped || c != '"';
            escaped = !escaped && c == '\\';
            continue;
        }
        const bool numberCharacter = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
        run = numberCharacter ? run + 1 : 0;
        longest = std::max(longest, run);
        inString = c == '"';
    }
    return longest;
}

std::string StringOrEmpty(const json& value)
{
    return value.is_string() ? value.get<std::string>() : std::string();
}

} // namespace

std::string SessionJournal::ToJson() const
{
    json session;
    session["inputs"] = {{"image", OrNull(image)}, {"tsv", OrNull(tsv)}, {"hocr", OrNull(hocr)}, {"xml", OrNull(xml)}};
    session["thresholds"] = {{"below", below}, {"charBelow", charBelow}};
    session["dpi"] = dpi;
    session["finished"] = finished;
    json list = json::array();
    for (const VerifiedWord& word : words) {
        json entry;
        entry["index"] = word.index;
        entry["box"] = {{"left", word.box.left}, {"top", word.box.top}, {"width", word.box.width},
                        {"height", word.box.height}};
        entry["text"] = word.text;
        entry["confidence"] = word.confidence;
        entry["outcome"] = word.outcome;
        if (word.outcome == "skipped") {
            entry["reason"] = word.reason;
        }
        entry["corrected"] = word.outcome == "ok" ? json(word.corrected) : json(nullptr);
        entry["changed"] = word.changed;
        entry["train"] = word.train;
        entry["size"] = word.size;
        entry["orientation"] = word.orientation;
        list.push_back(entry);
    }
    session["words"] = list;
    return session.dump(2) + "\n";
}

bool SessionJournal::FromJson(const std::string& text, SessionJournal& journal, std::string& error)
{
    const size_t longest = LongestNumber(text);
    if (longest > kLongestNumber) {
        error = "a number of " + std::to_string(longest) + " characters";
        return false;
    }
    try {
        const json session = json::parse(text);
        const json& inputs = session.at("inputs");
        journal.image = StringOrEmpty(inputs.at("image"));
        journal.tsv = StringOrEmpty(inputs.at("tsv"));
        journal.hocr = StringOrEmpty(inputs.at("hocr"));
        journal.xml = inputs.contains("xml") ? StringOrEmpty(inputs.at("xml")) : std::string(); // none before ALTO and PAGE
        journal.below = session.at("thresholds").at("below").get<double>();
        journal.charBelow = session.at("thresholds").at("charBelow").get<double>();
        journal.dpi = session.at("dpi").get<double>();
        journal.finished = session.at("finished").get<bool>();
        journal.words.clear();
        for (const json& entry : session.at("words")) {
            VerifiedWord word;
            word.index = entry.at("index").get<int>();
            const json& box = entry.at("box");
            word.box = {box.at("left").get<int>(), box.at("top").get<int>(), box.at("width").get<int>(),
                        box.at("height").get<int>()};
            word.text = entry.at("text").get<std::string>();
            word.confidence = entry.at("confidence").get<double>();
            word.outcome = entry.at("outcome").get<std::string>();
            word.reason = entry.contains("reason") ? StringOrEmpty(entry["reason"]) : std::string();
            word.corrected = StringOrEmpty(entry.at("corrected"));
            word.changed = entry.at("changed").get<bool>();
            word.train = entry.at("train").get<bool>();
            word.size = entry.at("size").get<double>();
            word.orientation = entry.at("orientation").get<double>();
            if (word.outcome != "ok" && word.outcome != "ignore" && word.outcome != "cancel" &&
                word.outcome != "skipped") {
                error = "unknown outcome \"" + word.outcome + "\"";
                return false;
            }
            journal.words.push_back(word);
        }
        return true;
    } catch (const json::exception& fault) {
        error = fault.what();
        return false;
    }
}
