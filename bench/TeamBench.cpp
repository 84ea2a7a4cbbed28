// The team store's side of the database, timed on a PostgreSQL server through ODBC as a
// station reaches it: a page's take under its lease, the page read back, a lease's renewal,
// an answer's commit, a poll for the team's decisions and a page marked done, for one
// station alone and for three at once on one batch; one station again with each answer put
// in the local outbox before its commit and taken out after it, as the store does; and from
// those, on paper, how many operators one server serves. Figures are printed, never
// asserted.
//
// Usage: team_bench --server DIR [--iterations N]
//   DIR  a server's folder as scripts/lib/postgres.sh leaves it (its files `connection` and
//        `password`), as a Windows path
//   N    pages of the batch, each of ten words (default 100)

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "OwnedHandle.h"
#include "PageLeases.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamOutbox.h"
#include "TeamPages.h"
#include "TeamProposals.h"
#include "TeamSchema.h"
#include "TeamStation.h"
#include "Utf8.h"
#include "Stopwatch.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kWordsAPage = 10;
constexpr unsigned kLeaseSeconds = PageLeases::kDefaultSeconds;
// An operator's pace for the figure on paper: a quick one, as the page-turn benchmark has it.
constexpr double kSecondsAWord = 2.0;

std::wstring FirstLine(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    if (line.empty()) {
        throw std::runtime_error("cannot read " + WideToUtf8(path) + ": is the server running?");
    }
    return std::wstring(line.begin(), line.end()); // ASCII, as postgres.sh writes it
}

void Run(DatabaseConnection& connection, const std::wstring& sql)
{
    DatabaseStatement statement(connection, sql);
    statement.Execute();
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

// A batch of `pages` pages, each with a recogniser output of about 30 KB, as a scan of a
// printed page has.
TeamBatchDefinition Batch(DatabaseConnection& connection, int pages)
{
    TeamDocument tsv;
    tsv.kind = "tsv";
    tsv.content = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n";
    for (int word = 1; tsv.content.size() < 30000; ++word) {
        tsv.content += "5\t1\t1\t1\t" + std::to_string(word / 12 + 1) + "\t" + std::to_string(word % 12 + 1) + "\t" +
                       std::to_string(word % 12 * 80) + "\t" + std::to_string(word / 12 * 40) + "\t72\t30\t91.5\tword\n";
    }
    tsv.sha256 = Sha256(connection, tsv.content);
    TeamBatchDefinition batch;
    batch.inputs = {"Z:\\scans"};
    batch.below = 90;
    batch.charBelow = 80;
    for (int position = 1; position <= pages; ++position) {
        TeamPageSource page;
        page.position = position;
        page.name = "page" + std::to_string(position);
        page.imagePath = "Z:\\scans\\" + page.name + ".png";
        page.imageSha256 = std::string(64, '0');
        tsv.path = "Z:\\scans\\" + page.name + ".tsv";
        page.documents.push_back(tsv);
        batch.pages.push_back(page);
    }
    return batch;
}

TeamAnswer Answer(const TeamStation& station, std::int64_t sequence, int page, int index)
{
    TeamAnswer answer;
    answer.answerId = station.AnswerId(sequence);
    answer.page = page;
    answer.index = index;
    answer.place = index;
    answer.box = {80 * index, 40, 72, 30};
    answer.text = "teh";
    answer.confidence = 55;
    answer.outcome = WordOutcome::kOk;
    answer.corrected = index % 4 == 0 ? "the" : "teh";
    answer.changed = index % 4 == 0;
    answer.train = true;
    answer.size = 11.5;
    answer.seconds = kSecondsAWord;
    answer.operatorName = station.operatorName;
    answer.computer = station.computer;
    answer.instance = station.instance;
    return answer;
}

// What one station's connection spent on each kind of call, in milliseconds.
struct Timings {
    std::vector<double> take, read, renew, commit, poll, done;
    std::vector<double> keep, forget; // the answer into the outbox before its commit, and out after
    int answers = 0;
    std::string failure;
};

double Milliseconds(const std::function<void()>& call)
{
    const Stopwatch watch;
    call();
    return watch.Seconds() * 1000;
}

// A station's work on the batch, as a session does it, until no page is left: take a page,
// read it, renew its lease, answer each word and poll for the team's decisions after each,
// mark the page done.
//
// With `outbox`, each answer goes into it before its commit and out once committed.
void Work(const std::wstring& database, std::int64_t batch, const std::string& operatorName, Timings& timings,
          TeamOutbox* outbox = nullptr)
{
    try {
        DatabaseConnection connection(database);
        TeamStation station = TeamStation::ThisStation();
        station.operatorName = operatorName;
        PageLeases::Register(connection, batch, station);
        std::int64_t sequence = 0;
        std::int64_t seen = 0;
        for (;;) {
            std::optional<TeamLease> lease;
            timings.take.push_back(
                Milliseconds([&] { lease = PageLeases::TakeNext(connection, batch, station, kLeaseSeconds); }));
            if (!lease) {
                timings.take.pop_back(); // the empty take at the end is no page's
                return;
            }
            timings.read.push_back(Milliseconds([&] { TeamPages::Load(connection, batch, lease->position); }));
            timings.renew.push_back(
                Milliseconds([&] { PageLeases::Renew(connection, batch, station, *lease, kLeaseSeconds); }));
            for (int word = 1; word <= kWordsAPage; ++word) {
                const TeamAnswer answer = Answer(station, ++sequence, lease->position, word);
                if (outbox == nullptr) {
                    timings.commit.push_back(Milliseconds([&] { TeamAnswers::RecordHeld(connection, batch, *lease, answer); }));
                } else {
                    const OutboxEntry entry{{"bench", batch, operatorName, ""}, answer, ""};
                    timings.keep.push_back(Milliseconds([&] { outbox->Keep(entry); }));
                    double commit = 0;
                    const double delivery = Milliseconds([&] {
                        outbox->Deliver(entry, [&] {
                            AnswerReceipt receipt;
                            commit = Milliseconds([&] { receipt = TeamAnswers::RecordHeld(connection, batch, *lease, answer); });
                            return receipt;
                        });
                    });
                    timings.commit.push_back(commit);
                    timings.forget.push_back(delivery - commit);
                }
                timings.poll.push_back(Milliseconds([&] {
                    const std::vector<TeamDecision> decisions = TeamProposals::After(connection, batch, seen);
                    if (!decisions.empty()) {
                        seen = decisions.back().order;
                    }
                }));
                ++timings.answers;
            }
            timings.done.push_back(Milliseconds([&] { TeamPages::MarkDone(connection, batch, station, *lease); }));
        }
    } catch (const std::exception& error) {
        timings.failure = error.what();
    }
}

DWORD WINAPI WorkEntry(void* parameter) noexcept
{
    (*static_cast<std::function<void()>*>(parameter))();
    return 0;
}

// Runs each of `work` on a thread of its own, all at once; the seconds until the last ends.
double AtOnce(std::vector<std::function<void()>>& work)
{
    const Stopwatch watch;
    std::vector<OwnedHandle> threads;
    std::vector<HANDLE> waits;
    for (std::function<void()>& one : work) {
        OwnedHandle thread(::CreateThread(nullptr, 0, &WorkEntry, &one, 0, nullptr));
        if (!thread) {
            // Those started still use `work`: they end before it can go.
            ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), TRUE, INFINITE);
            throw std::runtime_error("cannot start a station's thread");
        }
        waits.push_back(thread.get());
        threads.push_back(std::move(thread));
    }
    ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), TRUE, INFINITE);
    return watch.Seconds();
}

void PrintRow(const char* name, const std::vector<double>& samples)
{
    const Summary summary = Summary::Of(samples);
    std::printf("  %-34s %8.2f ms  (%.2f to %.2f, %zu samples)\n", name, summary.median, summary.min, summary.max,
                samples.size());
}

void Print(const Timings& timings)
{
    PrintRow("page take (lease)", timings.take);
    PrintRow("page read (30 KB output, answers)", timings.read);
    PrintRow("lease renewal", timings.renew);
    PrintRow("answer's commit", timings.commit);
    PrintRow("decisions poll", timings.poll);
    PrintRow("page done", timings.done);
}

std::vector<double> Joined(const std::vector<Timings>& stations, std::vector<double> Timings::*field)
{
    std::vector<double> all;
    for (const Timings& station : stations) {
        all.insert(all.end(), (station.*field).begin(), (station.*field).end());
    }
    return all;
}

std::int64_t MakeBatch(const std::wstring& database, const std::string& name, int pages)
{
    DatabaseConnection connection(database);
    return TeamBatches::Open(connection, name, Batch(connection, pages), TeamStation::ThisStation()).id;
}

int Bench(const std::wstring& folder, int pages)
{
    const std::wstring owner = FirstLine(folder + L"/connection") + L"PWD={" + FirstLine(folder + L"/password") + L"};";
    {
        DatabaseConnection connection(owner);
        Run(connection, L"DROP SCHEMA IF EXISTS bench_team CASCADE");
        Run(connection, L"CREATE SCHEMA bench_team");
        DatabaseStatement server(connection, L"SELECT current_setting('server_version'), current_setting('fsync'),"
                                             L" current_setting('synchronous_commit')");
        server.Execute();
        server.Fetch();
        const std::string version = server.Utf8(1).value_or("?");
        const std::string fsync = server.Utf8(2).value_or("?");
        const std::string synchronous = server.Utf8(3).value_or("?");
        std::printf("team store: PostgreSQL %s on 127.0.0.1 through ODBC (fsync %s, synchronous_commit %s),"
                    " %d pages of %d words a batch\n",
                    version.c_str(), fsync.c_str(), synchronous.c_str(), pages, kWordsAPage);
        connection.Commit();
    }
    const std::wstring database = owner + L"ConnSettings={SET search_path TO bench_team};";
    {
        DatabaseConnection connection(database);
        TeamSchema::Ensure(connection);
    }

    std::vector<Timings> alone(1);
    const std::int64_t first = MakeBatch(database, "alone", pages);
    Work(database, first, "alone", alone[0]);
    if (!alone[0].failure.empty()) {
        std::printf("team store: failed: %s\n", alone[0].failure.c_str());
        return 1;
    }
    std::printf(" one station alone:\n");
    Print(alone[0]);

    // The same alone, each answer through the outbox, a file of the temporary folder.
    wchar_t temporary[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring outboxPath = std::wstring(temporary, length > MAX_PATH ? 0 : length) + L"team_bench-outbox.json";
    std::vector<Timings> kept(1);
    {
        TeamOutbox outbox(outboxPath);
        Work(database, MakeBatch(database, "outbox", pages), "outbox", kept[0], &outbox);
    }
    ::DeleteFileW(outboxPath.c_str());
    ::DeleteFileW((outboxPath + L".lock").c_str());
    if (!kept[0].failure.empty()) {
        std::printf("team store: failed: %s\n", kept[0].failure.c_str());
        return 1;
    }
    std::printf(" one station alone, each answer through the outbox:\n");
    PrintRow("answer into the outbox", kept[0].keep);
    PrintRow("answer's commit", kept[0].commit);
    PrintRow("answer out of the outbox", kept[0].forget);
    std::vector<double> whole;
    for (size_t i = 0; i < kept[0].commit.size(); ++i) {
        whole.push_back(kept[0].keep[i] + kept[0].commit[i] + kept[0].forget[i]);
    }
    PrintRow("the three together", whole);

    std::vector<Timings> three(3);
    const std::int64_t second = MakeBatch(database, "three", pages);
    std::vector<std::function<void()>> work;
    for (size_t s = 0; s < three.size(); ++s) {
        work.push_back([&, s] { Work(database, second, "operator" + std::to_string(s + 1), three[s]); });
    }
    const double seconds = AtOnce(work);
    int answers = 0;
    for (const Timings& station : three) {
        if (!station.failure.empty()) {
            std::printf("team store: failed: %s\n", station.failure.c_str());
            return 1;
        }
        answers += station.answers;
    }
    std::printf(" three stations at once, as fast as they can:\n");
    Print(Timings{Joined(three, &Timings::take), Joined(three, &Timings::read), Joined(three, &Timings::renew),
                  Joined(three, &Timings::commit), Joined(three, &Timings::poll), Joined(three, &Timings::done), {}, {},
                  0, ""});
    const double rate = answers / seconds;
    std::printf("  %d answers in %.1f s: %.0f words a second, with every call above\n", answers, seconds, rate);

    // On paper: a word costs one answer's commit (one transaction) and one poll; a page a
    // take, a read, a renewal every 40 s of a 2-minute lease, and its done. Answers to one
    // batch commit one at a time (each takes the batch's next number under its row's lock).
    // The rate measured is a lower bound of the server's: the server and the three stations
    // share the machine's cores.
    std::printf("  on paper, at %.0f s a word: %.0f operators on one batch (the words a second measured,"
                " times %.0f s)\n",
                kSecondsAWord, rate * kSecondsAWord, kSecondsAWord);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::wstring folder;
    int pages = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--server") {
            std::wstring wide;
            folder = Utf8ToWide(argv[i + 1], wide) ? wide : L"";
        } else if (option == "--iterations") {
            char* end = nullptr;
            const long parsed = std::strtol(argv[i + 1], &end, 10);
            pages = *end == '\0' && parsed > 0 && parsed <= 100000 ? static_cast<int>(parsed) : 0;
        }
    }
    if (folder.empty() || pages < 1) {
        static_cast<void>(std::fputs("usage: team_bench --server DIR [--iterations N]\n", stderr));
        return 2;
    }
    try {
        return Bench(folder, pages);
    } catch (const std::exception& error) {
        std::printf("team store: failed: %s\n", error.what());
        return 1;
    }
}
