#include "TeamOutbox.h"

#include "AtomicFile.h"
#include "DatabaseError.h"
#include "FileHandle.h"
#include "OutboxFormat.h"
#include "ServerRetry.h"
#include "TeamRefusal.h"
#include "Utf8.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void Unwritable(const std::wstring& path, const std::string& why)
{
    throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                      WideToUtf8(path) + ": the file of unsent answers cannot be written: " + why);
}

// Writes the content whole, through a temporary file flushed to the disk and renamed over
// the old one: a station that stops meanwhile leaves the old file or the new one.
void Replace(const std::wstring& path, const std::string& content)
{
    std::string error;
    if (!AtomicFile::Write(path, content, error)) {
        Unwritable(path, error);
    }
}

} // namespace

TeamOutbox::TeamOutbox(std::wstring path)
    : m_path(std::move(path))
    , m_lock(m_path)
{
}

TeamOutbox::~TeamOutbox()
{
    if (!m_lock.Opened()) {
        return;
    }
    try {
        InTurn([&] {
            if (Current().empty() && m_length > 0) {
                m_changed = true;
                m_known = false;
                if (!::DeleteFileW(m_path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
                    Unwritable(m_path, FileHandle::Reason(::GetLastError()));
                }
            }
        });
    } catch (const std::exception&) {
        // An outbox without answers: the next station done with it removes it.
    }
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
    const bool unchanged = m_lock.Take();
    m_known = m_known && unchanged;
    m_changed = false;
    try {
        work();
    } catch (...) {
        m_known = false;
        m_lock.Free(m_changed);
        throw;
    }
    if (!m_lock.Free(m_changed)) {
        m_known = false;
        Unwritable(m_lock.Path(), FileHandle::Reason(::GetLastError()));
    }
}

std::vector<OutboxEntry>& TeamOutbox::Current()
{
    if (!m_known) {
        m_entries = OutboxFormat::Read(m_path, m_length);
        m_known = true;
    }
    return m_entries;
}

void TeamOutbox::Save(bool alone)
{
    m_changed = true;
    const std::string content = OutboxFormat::Content(m_entries);
    if (!alone) {
        Replace(m_path, content);
        m_length = content.size();
        return;
    }
    // Written over in place, without waiting for the disk, and padded to the file's length
    // rather than cut (cutting a file to nothing makes the file system write out what was in
    // it first): a station that stops during the one write leaves the old content or the new.
    const FileHandle file = FileHandle::OpenWhenFree(
        m_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS);
    LARGE_INTEGER size = {};
    if (!file.IsOpen() || !::GetFileSizeEx(file.Get(), &size)) {
        Unwritable(m_path, FileHandle::Reason(::GetLastError()));
    }
    std::string padded = content;
    if (padded.size() < static_cast<unsigned long long>(size.QuadPart)) {
        padded.append(static_cast<size_t>(size.QuadPart) - padded.size(), ' ');
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), padded.data(), static_cast<DWORD>(padded.size()), &written, nullptr) ||
        written != padded.size()) {
        Unwritable(m_path, FileHandle::Reason(::GetLastError()));
    }
    m_length = padded.size();
}

std::vector<OutboxEntry> TeamOutbox::Entries()
{
    std::vector<OutboxEntry> entries;
    InTurn([&] { entries = Current(); });
    return entries;
}

std::vector<OutboxEntry> TeamOutbox::Refused()
{
    std::vector<OutboxEntry> entries;
    size_t length = 0;
    InTurn([&] { entries = OutboxFormat::Read(RefusedPath(), length); });
    return entries;
}

void TeamOutbox::Keep(const OutboxEntry& entry)
{
    InTurn([&] {
        std::vector<OutboxEntry>& entries = Current();
        // Alone, the answer is written without waiting for the disk: the commit that follows
        // at once keeps it. With others, on the disk before it replaces them.
        const bool alone = entries.empty();
        entries.push_back(entry);
        Save(alone);
        m_unflushed = alone;
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
    std::vector<OutboxEntry>& entries = Current();
    const auto kept = std::remove_if(entries.begin(), entries.end(),
                                     [&](const OutboxEntry& entry) { return entry.answer.answerId == answerId; });
    if (kept == entries.end()) {
        return;
    }
    entries.erase(kept, entries.end());
    // None left: nothing is at stake in the write.
    Save(entries.empty());
    m_unflushed = false; // nothing left, or what is left replaced and flushed
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
            size_t length = 0;
            std::vector<OutboxEntry> refused = OutboxFormat::Read(RefusedPath(), length);
            const bool there = std::any_of(refused.begin(), refused.end(), [&](const OutboxEntry& kept) {
                return kept.answer.answerId == entry.answer.answerId;
            });
            if (!there) {
                refused.push_back(entry);
                refused.back().refusal = delivery.refusal;
                m_changed = true;
                Replace(RefusedPath(), OutboxFormat::Content(refused));
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
