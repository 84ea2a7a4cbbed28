#include "TeamOutbox.h"

#include "AtomicFile.h"
#include "TeamRefusal.h"
#include "Utf8.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <utility>

namespace {

constexpr int kFormat = 1;

nlohmann::json ToJson(const OutboxEntry& entry)
{
    const TeamAnswer& answer = entry.answer;
    return nlohmann::json{
        {"batch", entry.batch},
        {"id", answer.answerId},
        {"page", answer.page},
        {"index", answer.index},
        {"place", answer.place},
        {"box", {answer.box.left, answer.box.top, answer.box.width, answer.box.height}},
        {"text", answer.text},
        {"confidence", answer.confidence},
        {"outcome", answer.outcome},
        {"reason", answer.reason},
        {"corrected", answer.corrected},
        {"changed", answer.changed},
        {"proposed", answer.proposed},
        {"proposal", answer.proposal},
        {"train", answer.train},
        {"size", answer.size},
        {"orientation", answer.orientation},
        {"seconds", answer.seconds},
        {"operator", answer.operatorName},
        {"computer", answer.computer},
        {"instance", answer.instance},
    };
}

// Throws nlohmann::json::exception for a value missing or of another type.
OutboxEntry FromJson(const nlohmann::json& json)
{
    OutboxEntry entry;
    TeamAnswer& answer = entry.answer;
    json.at("batch").get_to(entry.batch);
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
    json.at("outcome").get_to(answer.outcome);
    json.at("reason").get_to(answer.reason);
    json.at("corrected").get_to(answer.corrected);
    json.at("changed").get_to(answer.changed);
    json.at("proposed").get_to(answer.proposed);
    json.at("proposal").get_to(answer.proposal);
    json.at("train").get_to(answer.train);
    json.at("size").get_to(answer.size);
    json.at("orientation").get_to(answer.orientation);
    json.at("seconds").get_to(answer.seconds);
    json.at("operator").get_to(answer.operatorName);
    json.at("computer").get_to(answer.computer);
    json.at("instance").get_to(answer.instance);
    return entry;
}

} // namespace

TeamOutbox::TeamOutbox(std::wstring path)
    : m_path(std::move(path))
{
}

void TeamOutbox::Load()
{
    m_entries.clear();
    if (::GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        return;
    }
    const std::string shown = WideToUtf8(m_path);
    std::string content;
    if (!AtomicFile::Read(m_path, content)) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          shown + ": the file of unsent answers cannot be read (error " +
                              std::to_string(::GetLastError()) + ")");
    }
    try {
        const nlohmann::json json = nlohmann::json::parse(content);
        if (json.at("format").get<int>() != kFormat) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              shown + ": the file of unsent answers is of another format (" +
                                  json.at("format").dump() + ")");
        }
        for (const nlohmann::json& answer : json.at("answers")) {
            m_entries.push_back(FromJson(answer));
        }
    } catch (const nlohmann::json::exception& error) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          shown + ": not a file of unsent answers of this program (" + error.what() + ")");
    }
}

void TeamOutbox::Add(const std::string& batch, const TeamAnswer& answer)
{
    m_entries.push_back(OutboxEntry{batch, answer});
    Save();
}

std::vector<AnswerReceipt> TeamOutbox::Send(const std::function<AnswerReceipt(const OutboxEntry&)>& send)
{
    std::vector<AnswerReceipt> receipts;
    // Written once at the end, also when a send fails: an answer sent again after a crash
    // in between is recorded once all the same.
    size_t sent = 0;
    try {
        for (; sent < m_entries.size(); ++sent) {
            receipts.push_back(send(m_entries[sent]));
        }
    } catch (...) {
        m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(sent));
        Save();
        throw;
    }
    m_entries.clear();
    Save();
    return receipts;
}

void TeamOutbox::Save()
{
    if (m_entries.empty() && (::DeleteFileW(m_path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)) {
        return;
    }
    nlohmann::json answers = nlohmann::json::array();
    for (const OutboxEntry& entry : m_entries) {
        answers.push_back(ToJson(entry));
    }
    const nlohmann::json json{{"format", kFormat}, {"answers", answers}};
    std::string error;
    // Invalid UTF-8 in an answer's text is written replaced rather than refused: the answer
    // matters more than one character.
    if (!AtomicFile::Write(m_path, json.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n", error)) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          WideToUtf8(m_path) + ": the file of unsent answers cannot be written: " + error);
    }
}
