#include "OutboxFormat.h"

#include "AtomicFile.h"
#include "TeamRefusal.h"
#include "Utf8.h"

#include <windows.h>

#include <nlohmann/json.hpp>

namespace {

constexpr int kFormat = 2;      // each answer names its server and its batch's identity
constexpr int kFirstFormat = 1; // the batch's name only: read, never written

nlohmann::json ToJson(const OutboxEntry& entry)
{
    const TeamAnswer& answer = entry.answer;
    nlohmann::json json{
        {"server", entry.address.server},
        {"batch", entry.address.batchName},
        {"batch_id", entry.address.batch},
        {"batch_created", entry.address.batchCreated},
        {"id", answer.answerId},
        {"page", answer.page},
        {"index", answer.index},
        {"place", answer.place},
        {"box", {answer.box.left, answer.box.top, answer.box.width, answer.box.height}},
        {"text", answer.text},
        {"confidence", answer.confidence},
        {"outcome", WordOutcomeText(answer.outcome)},
        {"reason", answer.reason},
        {"corrected", answer.corrected},
        {"changed", answer.changed},
        {"proposed", answer.proposed},
        {"proposal", ProposalFateText(answer.proposal)},
        {"train", answer.train},
        {"size", answer.size},
        {"orientation", answer.orientation},
        {"seconds", answer.seconds},
        {"operator", answer.operatorName},
        {"computer", answer.computer},
        {"instance", answer.instance},
        {"chosen_for", answer.chosenFor},
        {"least_char_confidence", answer.leastCharConfidence},
        {"second_differs", answer.secondDiffers},
    };
    if (!entry.refusal.empty()) {
        json["refusal"] = entry.refusal;
    }
    return json;
}

// Throws nlohmann::json::exception for a value missing or of another type.
OutboxEntry FromJson(const nlohmann::json& json, int format)
{
    OutboxEntry entry;
    TeamAnswer& answer = entry.answer;
    json.at("batch").get_to(entry.address.batchName);
    if (format >= kFormat) {
        json.at("server").get_to(entry.address.server);
        json.at("batch_id").get_to(entry.address.batch);
        json.at("batch_created").get_to(entry.address.batchCreated);
        entry.refusal = json.value("refusal", std::string());
    }
    json.at("id").get_to(answer.answerId);
    json.at("page").get_to(answer.page);
    json.at("index").get_to(answer.index);
    json.at("place").get_to(answer.place);
    const nlohmann::json& box = json.at("box");
    box.at(0).get_to(answer.box.left);
    box.at(1).get_to(answer.box.top);
    box.at(2).get_to(answer.box.width);
    box.at(3).get_to(answer.box.height);
    json.at("text").get_to(answer.text);
    json.at("confidence").get_to(answer.confidence);
    // A word of no outcome the store sends is kept as no answer, which the store refuses.
    answer.outcome = WordOutcomeFromText(json.at("outcome").get<std::string>()).value_or(WordOutcome::kCancel);
    json.at("reason").get_to(answer.reason);
    json.at("corrected").get_to(answer.corrected);
    json.at("changed").get_to(answer.changed);
    json.at("proposed").get_to(answer.proposed);
    answer.proposal = ProposalFateFromText(json.at("proposal").get<std::string>()).value_or(ProposalFate::kNone);
    json.at("train").get_to(answer.train);
    json.at("size").get_to(answer.size);
    json.at("orientation").get_to(answer.orientation);
    json.at("seconds").get_to(answer.seconds);
    json.at("operator").get_to(answer.operatorName);
    json.at("computer").get_to(answer.computer);
    json.at("instance").get_to(answer.instance);
    // Absent from the answers an earlier version kept: no reason, no features.
    answer.chosenFor = json.value("chosen_for", std::string());
    answer.leastCharConfidence = json.value("least_char_confidence", -1.0);
    answer.secondDiffers = json.value("second_differs", -1);
    return entry;
}

} // namespace

std::vector<OutboxEntry> OutboxFormat::Read(const std::wstring& path, size_t& length)
{
    std::vector<OutboxEntry> entries;
    length = 0;
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        return entries;
    }
    const std::string shown = WideToUtf8(path);
    std::string content;
    std::string unread; // named by its code alone
    if (!AtomicFile::Read(path, content, unread)) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          shown + ": the file of unsent answers cannot be read (error " +
                              std::to_string(::GetLastError()) + ")");
    }
    length = content.size();
    if (content.find_first_not_of(std::string(" \n\0", 3)) == std::string::npos) {
        return entries;
    }
    try {
        const nlohmann::json json = nlohmann::json::parse(content);
        const int format = json.at("format").get<int>();
        if (format != kFormat && format != kFirstFormat) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              shown + ": the file of unsent answers is of another format (" +
                                  json.at("format").dump() + ")");
        }
        for (const nlohmann::json& answer : json.at("answers")) {
            entries.push_back(FromJson(answer, format));
        }
    } catch (const nlohmann::json::exception& error) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          shown + ": not a file of unsent answers of this program (" + error.what() + ")");
    }
    return entries;
}

std::string OutboxFormat::Content(const std::vector<OutboxEntry>& entries)
{
    nlohmann::json answers = nlohmann::json::array();
    for (const OutboxEntry& entry : entries) {
        answers.push_back(ToJson(entry));
    }
    const nlohmann::json json{{"format", kFormat}, {"answers", answers}};
    // Invalid UTF-8 in an answer's text is written replaced rather than refused: the answer
    // matters more than one character.
    return json.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
}
