#include "RecordedSession.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

RecordedSession::RecordedSession(SessionRecord record)
    : m_record(std::move(record))
{
    m_record.summary = m_record.Count();
}

StoredPage& RecordedSession::Page(size_t position)
{
    if (position >= m_record.pages.size()) {
        throw std::out_of_range("no page " + std::to_string(position + 1) + " in a session of " +
                                std::to_string(m_record.pages.size()));
    }
    return m_record.pages[position];
}

void RecordedSession::PageRecognised(size_t position, const StoredFile& tsv, const StoredFile& hocr)
{
    StoredPage& page = Page(position);
    page.tsv = tsv;
    page.hocr = hocr;
    page.state = page.state == PageState::kWaiting ? PageState::kRecognised : page.state;
}

void RecordedSession::PageFailed(size_t position, const std::string& failure)
{
    StoredPage& page = Page(position);
    page.state = PageState::kFailed;
    page.failure = failure;
}

bool RecordedSession::TakePage(size_t position)
{
    StoredPage& page = Page(position);
    if (page.state == PageState::kDone) {
        return false;
    }
    page.state = PageState::kInProgress;
    return true;
}

std::vector<std::vector<VerifiedWord>> RecordedSession::BatchAnswers()
{
    std::vector<std::vector<VerifiedWord>> answers;
    answers.reserve(m_record.pages.size());
    for (const StoredPage& page : m_record.pages) {
        answers.push_back(page.words);
    }
    return answers;
}

void RecordedSession::PageDone(size_t position)
{
    Page(position).state = PageState::kDone;
}

void RecordedSession::ReopenPage(size_t position)
{
    StoredPage& page = Page(position);
    page.state = page.state == PageState::kDone ? PageState::kInProgress : page.state;
}

void RecordedSession::PageAudited(size_t position, const StoredAudit& audit)
{
    Page(position).audit = audit;
}

void RecordedSession::ForgetAnswers(size_t position, const std::function<bool(const VerifiedWord&)>& forget)
{
    std::vector<VerifiedWord>& words = Page(position).words;
    words.erase(std::remove_if(words.begin(), words.end(), forget), words.end());
}

void RecordedSession::RecordSkipped(size_t position, const VerifiedWord& word, const PageWords& readingOrder)
{
    Put(position, word, readingOrder);
}

SessionStore::AnswerFate RecordedSession::RecordAnswer(size_t position, VerifiedWord& word,
                                                       const PageWords& readingOrder)
{
    word.order = m_record.LastOrder() + 1;
    Put(position, word, readingOrder);
    Keep();
    return AnswerFate::kRecorded;
}

void RecordedSession::Put(size_t position, const VerifiedWord& word, const PageWords& readingOrder)
{
    std::vector<VerifiedWord>& words = Page(position).words;
    std::map<int, size_t> place;
    for (size_t i = 0; i < readingOrder.Words().size(); ++i) {
        place[readingOrder.Words()[i].index] = i;
    }
    for (auto it = words.begin(); it != words.end(); ++it) {
        if (it->index == word.index) {
            *it = word;
            return;
        }
        if (place[it->index] > place[word.index]) {
            words.insert(it, word);
            return;
        }
    }
    words.push_back(word);
}

void RecordedSession::Keep()
{
    m_record.summary = m_record.Count();
    Write(m_record);
}

void RecordedSession::Finish()
{
    m_record.finished = std::all_of(m_record.pages.begin(), m_record.pages.end(),
                                    [](const StoredPage& page) { return page.state == PageState::kDone; });
    Keep();
}

void RecordedSession::Write(const SessionRecord&)
{
}
