#include "SessionJournal.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <stdexcept>

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

// A whole number the journal holds where it keeps an int. The JSON library's get<int> would
// cast 1e300 or 2^40 without a check (a double out of an int's range is undefined), so
// anything else is refused.
struct NotAWholeNumber : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int WholeNumber(const json& value)
{
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(INT_MAX)) {
            return static_cast<int>(number);
        }
    } else if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number >= INT_MIN && number <= INT_MAX) {
            return static_cast<int>(number);
        }
    }
    throw NotAWholeNumber("not a whole number within an int's range: " + value.dump());
}

std::string StringOrEmpty(const json& value)
{
    return value.is_string() ? value.get<std::string>() : std::string();
}

json FileJson(const StoredFile& file)
{
    return file.path.empty() ? json(nullptr) : json{{"file", file.path}, {"sha256", OrNull(file.sha256)}};
}

StoredFile FileFrom(const json& value)
{
    StoredFile file;
    if (!value.is_null()) {
        file.path = value.at("file").get<std::string>();
        file.sha256 = StringOrEmpty(value.at("sha256"));
    }
    return file;
}

json WordJson(const VerifiedWord& word)
{
    json entry;
    entry["index"] = word.index;
    entry["box"] = {{"left", word.box.left}, {"top", word.box.top}, {"width", word.box.width},
                    {"height", word.box.height}};
    entry["text"] = word.text;
    entry["confidence"] = word.confidence;
    entry["outcome"] = WordOutcomeText(word.outcome);
    if (!word.chosenFor.empty()) {
        entry["chosenFor"] = word.chosenFor;
    }
    if (word.outcome == WordOutcome::kSkipped) {
        entry["reason"] = word.reason;
    }
    entry["corrected"] = word.outcome == WordOutcome::kOk ? json(word.corrected) : json(nullptr);
    entry["changed"] = word.changed;
    entry["proposed"] = OrNull(word.proposed);
    entry["proposal"] = OrNull(ProposalFateText(word.proposal));
    entry["train"] = word.train;
    entry["size"] = word.size;
    entry["orientation"] = word.orientation;
    entry["seconds"] = word.seconds;
    entry["order"] = word.order > 0 ? json(word.order) : json(nullptr);
    if (word.leastCharConfidence >= 0) {
        entry["leastCharConfidence"] = word.leastCharConfidence;
    }
    if (word.secondDiffers >= 0) {
        entry["secondDiffers"] = word.secondDiffers == 1;
    }
    return entry;
}

// A word of the journal, or why it cannot be one.
struct NotAWord : std::runtime_error {
    using std::runtime_error::runtime_error;
};

VerifiedWord WordFrom(const json& entry)
{
    VerifiedWord word;
    word.index = WholeNumber(entry.at("index"));
    const json& box = entry.at("box");
    word.box = {WholeNumber(box.at("left")), WholeNumber(box.at("top")), WholeNumber(box.at("width")),
                WholeNumber(box.at("height"))};
    word.text = entry.at("text").get<std::string>();
    word.confidence = entry.at("confidence").get<double>();
    const std::string outcome = entry.at("outcome").get<std::string>();
    const std::optional<WordOutcome> known = WordOutcomeFromText(outcome);
    if (!known) {
        throw NotAWord("unknown outcome \"" + outcome + "\"");
    }
    word.outcome = *known;
    // Absent from the journals of stations that kept no reason for the choice.
    word.chosenFor = entry.contains("chosenFor") ? StringOrEmpty(entry["chosenFor"]) : std::string();
    word.reason = entry.contains("reason") ? StringOrEmpty(entry["reason"]) : std::string();
    word.corrected = StringOrEmpty(entry.at("corrected"));
    word.changed = entry.at("changed").get<bool>();
    // Absent from the journals of stations that offered no proposals.
    word.proposed = entry.contains("proposed") ? StringOrEmpty(entry["proposed"]) : std::string();
    const std::string proposal = entry.contains("proposal") ? StringOrEmpty(entry["proposal"]) : std::string();
    const std::optional<ProposalFate> fate = ProposalFateFromText(proposal);
    if (!fate) {
        throw NotAWord("unknown proposal fate \"" + proposal + "\"");
    }
    word.proposal = *fate;
    word.train = entry.at("train").get<bool>();
    word.size = entry.at("size").get<double>();
    word.orientation = entry.at("orientation").get<double>();
    word.seconds = entry.at("seconds").get<double>();
    // Absent from the journals of stations that kept no order.
    word.order = entry.contains("order") && !entry["order"].is_null() ? WholeNumber(entry["order"]) : 0;
    // Absent from the journals of stations that did not learn from the answers.
    word.leastCharConfidence =
        entry.contains("leastCharConfidence") ? std::clamp(entry["leastCharConfidence"].get<double>(), 0.0, 100.0) : -1;
    word.secondDiffers = entry.contains("secondDiffers") ? (entry["secondDiffers"].get<bool>() ? 1 : 0) : -1;
    return word;
}

} // namespace

std::string SessionJournal::ToJson(const SessionRecord& record)
{
    json session;
    session["format"] = kFormat;
    session["inputs"] = record.inputs;
    session["thresholds"] = {{"below", record.below},
                             {"charBelow", record.charBelow},
                             {"catch", record.catchPercent},
                             {"audit", record.auditPercent},
                             {"auditSeed", record.auditSeed}};
    session["finished"] = record.finished;
    json list = json::array();
    for (const StoredPage& page : record.pages) {
        json entry;
        entry["name"] = page.name;
        entry["image"] = FileJson(page.image);
        entry["frame"] = page.frame;
        entry["ocr"] = {{"page", page.ocrPage}, {"byStation", page.ocrByStation}, {"tsv", FileJson(page.tsv)},
                        {"hocr", FileJson(page.hocr)}, {"xml", FileJson(page.xml)}};
        entry["state"] = PageStateText(page.state);
        if (page.state == PageState::kFailed) {
            entry["failure"] = page.failure;
        }
        if (page.audit.candidates >= 0) {
            entry["audit"] = {{"candidates", page.audit.candidates},
                              {"drawn", page.audit.drawn},
                              {"toppedUp", page.audit.toppedUp}};
        }
        json words = json::array();
        for (const VerifiedWord& word : page.words) {
            words.push_back(WordJson(word));
        }
        entry["words"] = words;
        list.push_back(entry);
    }
    session["pages"] = list;
    const double hours = record.summary.operatorSeconds / 3600.0;
    session["summary"] = {{"pages", record.summary.pages},
                          {"pagesDone", record.summary.pagesDone},
                          {"pagesFailed", record.summary.pagesFailed},
                          {"failedPages", record.summary.failedPages},
                          {"wordsShown", record.summary.shown},
                          {"corrected", record.summary.corrected},
                          {"ignored", record.summary.ignored},
                          {"skipped", record.summary.skipped},
                          {"secondsPerWord", record.summary.shown > 0 ? record.summary.operatorSeconds / record.summary.shown : 0.0},
                          {"wordsPerHour", hours > 0 ? record.summary.shown / hours : 0.0}};
    return session.dump(2) + "\n";
}

bool SessionJournal::FromJson(const std::string& text, SessionRecord& journal, std::string& error)
{
    const size_t longest = LongestNumber(text);
    if (longest > kLongestNumber) {
        error = "a number of " + std::to_string(longest) + " characters";
        return false;
    }
    try {
        const json session = json::parse(text);
        const int format = session.contains("format") ? WholeNumber(session["format"]) : 1;
        if (format != kFormat) {
            error = "written in format " + std::to_string(format) + ", this station reads format " +
                    std::to_string(kFormat);
            return false;
        }
        journal.inputs = session.at("inputs").get<std::vector<std::string>>();
        journal.below = session.at("thresholds").at("below").get<double>();
        journal.charBelow = session.at("thresholds").at("charBelow").get<double>();
        // Absent from the journals of stations that chose by confidence only.
        const json& thresholds = session.at("thresholds");
        journal.catchPercent = thresholds.contains("catch") ? thresholds["catch"].get<double>() : 0;
        journal.auditPercent = thresholds.contains("audit") ? thresholds["audit"].get<double>() : 0;
        journal.auditSeed = thresholds.contains("auditSeed") ? WholeNumber(thresholds["auditSeed"]) : 0;
        if (!(journal.below >= 0 && journal.below <= 101) ||
            !(journal.catchPercent == 0 || (journal.catchPercent >= 50 && journal.catchPercent <= 99.9)) ||
            !(journal.auditPercent >= 0 && journal.auditPercent <= 50) || journal.auditSeed < 0) {
            // A resumed session goes on with its threshold: it is held to the option's bounds.
            error = "a threshold out of its bounds";
            return false;
        }
        journal.finished = session.at("finished").get<bool>();
        journal.pages.clear();
        for (const json& entry : session.at("pages")) {
            StoredPage page;
            page.name = entry.at("name").get<std::string>();
            page.image = FileFrom(entry.at("image"));
            page.frame = WholeNumber(entry.at("frame"));
            const json& ocr = entry.at("ocr");
            page.ocrPage = WholeNumber(ocr.at("page"));
            page.ocrByStation = ocr.at("byStation").get<bool>();
            page.tsv = FileFrom(ocr.at("tsv"));
            page.hocr = FileFrom(ocr.at("hocr"));
            page.xml = FileFrom(ocr.at("xml"));
            const std::string state = entry.at("state").get<std::string>();
            const std::optional<PageState> known = PageStateFromText(state);
            if (!known) {
                error = "unknown page state \"" + state + "\"";
                return false;
            }
            page.state = *known;
            page.failure = entry.contains("failure") ? StringOrEmpty(entry["failure"]) : std::string();
            if (entry.contains("audit")) {
                const json& audit = entry["audit"];
                page.audit = {WholeNumber(audit.at("candidates")), WholeNumber(audit.at("drawn")),
                              audit.at("toppedUp").get<bool>()};
                if (page.audit.candidates < 0 || page.audit.drawn < 0 || page.audit.drawn > page.audit.candidates) {
                    error = "an audit's draw out of bounds";
                    return false;
                }
            }
            for (const json& wordEntry : entry.at("words")) {
                VerifiedWord word = WordFrom(wordEntry);
                if (word.order < 0 || word.order == INT_MAX) {
                    error = "an answer's order out of bounds (" + std::to_string(word.order) + ")";
                    return false;
                }
                page.words.push_back(word);
            }
            journal.pages.push_back(page);
        }
        journal.summary = journal.Count();
        return true;
    } catch (const json::exception& fault) {
        error = fault.what();
        return false;
    } catch (const NotAWholeNumber& fault) {
        error = fault.what();
        return false;
    } catch (const NotAWord& fault) {
        error = fault.what();
        return false;
    }
}
