#include "TeamOutbox.h"

#include "AtomicFile.h"
#include "DatabaseError.h"
#include "ServerRetry.h"
#include "TeamRefusal.h"
#include "Utf8.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr int kFormat = 2;      // each answer names its server and its batch's identity
constexpr int kFirstFormat = 1; // the batch's name only: read, never written
// Another station holds the lock for a file's reading or writing, a few milliseconds.
constexpr ULONGLONG kMostLockWaitMs = 10000;

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

bool Missing(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The entries of the file at `path`; none when there is no file, or one that a power cut
// left empty before its first write reached the disk.
std::vector<OutboxEntry> Read(const std::wstring& path)
{
    std::vector<OutboxEntry> entries;
    if (Missing(path)) {
        return entries;
    }
    const std::string shown = WideToUtf8(path);
    std::string content;
    if (!AtomicFile::Read(path, content)) {
        throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                          shown + ": the file of unsent answers cannot be read (error " +
                              std::to_string(::GetLastError()) + ")");
    }
    if (std::all_of(content.begin(), content.end(), [](char c) { return c == '\0'; })) {
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

std::string Content(const std::vector<OutboxEntry>& entries)
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

[[noreturn]] void Unwritable(const std::wstring& path, const std::string& why)
{
    throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                      WideToUtf8(path) + ": the file of unsent answers cannot be written: " + why);
}

// Writes the entries whole, through a temporary file flushed to the disk and renamed over
// the old one: a station that stops meanwhile leaves the old file or the new one. None: the
// file is removed.
void Write(const std::wstring& path, const std::vector<OutboxEntry>& entries)
{
    if (entries.empty()) {
        if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            Unwritable(path, FileHandle::Reason(::GetLastError()));
        }
        return;
    }
    std::string error;
    if (!AtomicFile::Write(path, Content(entries), error)) {
        Unwritable(path, error);
    }
}

} // namespace

TeamOutbox::TeamOutbox(std::wstring path)
    : m_path(std::move(path))
{
}

std::wstring TeamOutbox::RefusedPath() const
{
    const size_t slash = m_path.find_last_of(L"\\/");
    const size_t dot = m_path.rfind(L'.');
    const bool extension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash + 1);
    return extension ? m_path.substr(0, dot) + L".refused" + m_path.substr(dot) : m_path + L".refused";
}

void TeamOutbox::InTurn(const std::function<void()>& work)
{
    if (!m_lock.IsOpen()) {
        m_lock = FileHandle::OpenWhenFree(m_path + L".lock", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_HIDDEN);
        if (!m_lock.IsOpen()) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              WideToUtf8(m_path) + ": the lock of the file of unsent answers cannot be made: " +
                                  FileHandle::Reason(::GetLastError()));
        }
    }
    // Polled rather than waited for: a station that stopped with the lock held frees it as
    // it ends, and one that hangs holding it must not hang this one.
    const ULONGLONG started = ::GetTickCount64();
    for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 20)) {
        OVERLAPPED whole = {};
        if (::LockFileEx(m_lock.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable, WideToUtf8(m_path) +
                                                                   ": the file of unsent answers cannot be locked: " +
                                                                   FileHandle::Reason(error));
        }
        if (::GetTickCount64() - started > kMostLockWaitMs) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              WideToUtf8(m_path) + ": the file of unsent answers is locked by another station for" +
                                  " more than " + std::to_string(kMostLockWaitMs / 1000) + " s");
        }
        ::Sleep(pause);
    }
    const auto unlock = [this] {
        OVERLAPPED whole = {};
        ::UnlockFileEx(m_lock.Get(), 0, 1, 0, &whole);
    };
    try {
        work();
    } catch (...) {
        unlock();
        throw;
    }
    unlock();
}

std::vector<OutboxEntry> TeamOutbox::Entries()
{
    std::vector<OutboxEntry> entries;
    InTurn([&] { entries = Read(m_path); });
    return entries;
}

std::vector<OutboxEntry> TeamOutbox::Refused()
{
    std::vector<OutboxEntry> entries;
    InTurn([&] { entries = Read(RefusedPath()); });
    return entries;
}

void TeamOutbox::Keep(const OutboxEntry& entry)
{
    InTurn([&] {
        std::vector<OutboxEntry> entries = Read(m_path);
        entries.push_back(entry);
        if (entries.size() > 1) {
            Write(m_path, entries); // on the disk before it replaces answers kept earlier
            m_unflushed = false;
            return;
        }
        // Alone: a new file, written without waiting for the disk; no older answer is at stake.
        const FileHandle file = FileHandle::OpenWhenFree(m_path, GENERIC_WRITE, 0, CREATE_ALWAYS);
        const std::string content = Content(entries);
        DWORD written = 0;
        if (!file.IsOpen() ||
            !::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
            written != content.size()) {
            Unwritable(m_path, FileHandle::Reason(::GetLastError()));
        }
        m_unflushed = true;
    });
}

void TeamOutbox::MakeDurable() noexcept
{
    if (!m_unflushed) {
        return;
    }
    try {
        InTurn([&] {
            const FileHandle file = FileHandle::OpenWhenFree(
                m_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
            if (file.IsOpen() && ::FlushFileBuffers(file.Get())) {
                m_unflushed = false;
            }
        });
    } catch (const std::exception&) {
        // Written, if not yet on the disk: the next run of this computer finds it.
    }
}

void TeamOutbox::Remove(const std::string& answerId)
{
    std::vector<OutboxEntry> entries = Read(m_path);
    const auto kept = std::remove_if(entries.begin(), entries.end(),
                                     [&](const OutboxEntry& entry) { return entry.answer.answerId == answerId; });
    if (kept == entries.end()) {
        return;
    }
    entries.erase(kept, entries.end());
    Write(m_path, entries);
    m_unflushed = m_unflushed && !entries.empty();
}

OutboxDelivery TeamOutbox::Deliver(const OutboxEntry& entry, const std::function<AnswerReceipt()>& send)
{
    OutboxDelivery delivery;
    try {
        delivery.receipt = send();
    } catch (const DatabaseError& failure) {
        if (ServerRetry::Away(failure)) {
            throw;
        }
        delivery.refused = true;
        delivery.refusal = failure.what();
    } catch (const TeamRefusal& refusal) {
        delivery.refused = true;
        delivery.refusal = refusal.what();
    } catch (const std::logic_error& failure) {
        delivery.refused = true;
        delivery.refusal = failure.what();
    }
    if (!delivery.refused) {
        try {
            InTurn([&] { Remove(entry.answer.answerId); });
        } catch (const TeamRefusal&) {
            // Recorded all the same: the next run sends it again, and it is recorded once.
        }
        return delivery;
    }
    try {
        InTurn([&] {
            // Kept apart first: a station that stops between the two writes leaves the answer
            // in both files, and the next refusal finds it there already.
            std::vector<OutboxEntry> refused = Read(RefusedPath());
            const bool there = std::any_of(refused.begin(), refused.end(), [&](const OutboxEntry& kept) {
                return kept.answer.answerId == entry.answer.answerId;
            });
            if (!there) {
                refused.push_back(entry);
                refused.back().refusal = delivery.refusal;
                Write(RefusedPath(), refused);
            }
            Remove(entry.answer.answerId);
        });
        delivery.refusal += "; kept in " + WideToUtf8(RefusedPath());
    } catch (const TeamRefusal& fault) {
        delivery.refusal += "; it stays in " + WideToUtf8(m_path) + ", as it cannot be kept apart: " + fault.what();
    }
    return delivery;
}

std::string TeamOutbox::RefusedAdvice(const std::wstring& refusedPath)
{
    return "no run sends the answers kept in " + WideToUtf8(refusedPath) +
           " by itself: once the cause is put right (a grant, the batch, the text), a run with --outbox naming that"
           " file sends them first";
}
