#include "TeamTestSupport.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "TestServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <memory>

namespace TeamTest {

namespace {

// The test server's connection string as `role` with `password`.
std::wstring AsRole(const std::wstring& role, const std::wstring& password)
{
    std::wstring connection = TestServer::ConnectionWithoutPassword();
    const size_t uid = connection.find(L"Uid=");
    const size_t end = connection.find(L';', uid);
    connection.replace(uid, end - uid, L"Uid=" + role);
    return connection + L"PWD={" + password + L"};";
}

struct Work {
    const std::function<void()>* run = nullptr;
    std::string failure;
};

DWORD WINAPI RunWork(void* parameter) noexcept
{
    Work& work = *static_cast<Work*>(parameter);
    try {
        (*work.run)();
    } catch (const std::exception& error) {
        work.failure = error.what();
    } catch (...) {
        work.failure = "an exception that is no std::exception";
    }
    return 0;
}

} // namespace

std::wstring FreshDatabase()
{
    const std::wstring schema = TestServer::FreshSchema();
    return Database(schema, L"tarsil", TestServer::Password());
}

std::wstring Database(const std::wstring& schema, const std::wstring& role, const std::wstring& password)
{
    return AsRole(role, password) + L"ConnSettings={SET search_path TO " + schema + L"};";
}

TeamStation Station(const std::string& operatorName)
{
    TeamStation station = TeamStation::ThisStation();
    station.operatorName = operatorName;
    return station;
}

std::string Sha256(DatabaseConnection& connection, const std::string& content)
{
    DatabaseStatement hash(connection, L"SELECT encode(sha256(?), 'hex')");
    hash.BindBytes(1, std::vector<unsigned char>(content.begin(), content.end()));
    hash.Execute();
    hash.Fetch();
    std::string sha256 = hash.Utf8(1).value_or("");
    connection.Commit();
    return sha256;
}

TeamBatchDefinition Batch(DatabaseConnection& connection, int pages)
{
    TeamBatchDefinition batch;
    batch.inputs = {"Z:\\scans"};
    batch.below = 90;
    batch.charBelow = 80;
    for (int position = 1; position <= pages; ++position) {
        TeamPageSource page;
        page.position = position;
        const std::string name = "page" + std::to_string(position);
        page.name = std::string(4 - std::to_string(position).size(), '0') + std::to_string(position) + "-" + name;
        page.imagePath = "Z:\\scans\\" + name + ".png";
        page.imageSha256 = Sha256(connection, "image of " + name);
        page.byStation = position % 3 == 0;
        if (!page.byStation) {
            TeamDocument tsv;
            tsv.kind = "tsv";
            tsv.path = "Z:\\scans\\" + name + ".tsv";
            tsv.content = "level\tpage_num\n\xC3\xBC" + name + "\n" + std::string("\0\x01", 2);
            tsv.sha256 = Sha256(connection, tsv.content);
            page.documents.push_back(tsv);
        }
        batch.pages.push_back(page);
    }
    return batch;
}

TeamAnswer Answer(const TeamStation& station, std::int64_t sequence, int page, int index, const std::string& text,
                  const std::string& corrected)
{
    TeamAnswer answer;
    answer.answerId = station.AnswerId(sequence);
    answer.page = page;
    answer.index = index;
    answer.place = index;
    answer.box = {10 * index, 20, 30, 12};
    answer.text = text;
    answer.confidence = 55;
    answer.outcome = WordOutcome::kOk;
    answer.corrected = corrected.empty() ? text : corrected;
    answer.changed = !corrected.empty() && corrected != text;
    answer.train = true;
    answer.size = 11.5;
    answer.orientation = 0;
    answer.seconds = 2.5;
    answer.operatorName = station.operatorName;
    answer.computer = station.computer;
    answer.instance = station.instance;
    return answer;
}

void AtOnce(const std::vector<std::function<void()>>& work)
{
    std::vector<Work> works(work.size());
    std::vector<HANDLE> threads;
    for (size_t i = 0; i < work.size(); ++i) {
        works[i].run = &work[i];
        const HANDLE thread = ::CreateThread(nullptr, 0, &RunWork, &works[i], CREATE_SUSPENDED, nullptr);
        ASSERT_NE(nullptr, thread);
        threads.push_back(thread);
    }
    for (const HANDLE thread : threads) {
        ::ResumeThread(thread);
    }
    ::WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (const HANDLE thread : threads) {
        ::CloseHandle(thread);
    }
    for (const Work& done : works) {
        EXPECT_EQ("", done.failure);
    }
}

long long Count(DatabaseConnection& connection, const std::wstring& sql)
{
    DatabaseStatement select(connection, sql);
    select.Execute();
    const long long count = select.Fetch() ? select.Integer(1).value_or(-1) : -1;
    connection.Commit();
    return count;
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::string FileText(const std::wstring& path)
{
    std::string content;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        content.append(chunk, read);
    }
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    return content;
}

void WriteText(const std::wstring& path, const std::string& content)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    ::CloseHandle(file);
}

} // namespace TeamTest
