#include "TeamSetUp.h"

#include <windows.h>

#include "AtomicFile.h"
#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "InputError.h"
#include "OutboxSender.h"
#include "PageLeases.h"
#include "PathName.h"
#include "RunFolder.h"
#include "ServerRetry.h"
#include "Sha256.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamOutbox.h"
#include "TeamPageFiles.h"
#include "TeamRows.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamStation.h"
#include "TeamStore.h"
#include "Utf8.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

// A recogniser output as the database keeps it: the file's bytes and their SHA-256.
TeamDocument Document(const char* kind, const std::wstring& path)
{
    TeamDocument document;
    document.kind = kind;
    document.path = WideToUtf8(path);
    document.sha256 = Sha256::OfFile(path);
    std::string unread; // named by its code alone
    if (!AtomicFile::Read(path, document.content, unread)) {
        throw InputError(path, "cannot be read (error " + std::to_string(::GetLastError()) + ")");
    }
    return document;
}

// "--lang deu --psm 6", as the command line gives them.
std::string EngineSettings(const std::string& lang, const std::string& psm)
{
    if (lang.empty() && psm.empty()) {
        return "the engine's defaults";
    }
    return (lang.empty() ? "" : "--lang " + lang) + (lang.empty() || psm.empty() ? "" : " ") +
           (psm.empty() ? "" : "--psm " + psm);
}

const TeamDocument* Find(const std::vector<TeamDocument>& documents, const std::string& kind)
{
    for (const TeamDocument& document : documents) {
        if (document.kind == kind) {
            return &document;
        }
    }
    return nullptr;
}

} // namespace

TeamSetUp::TeamSetUp(const StationOptions& options, PrintFn print)
    : m_options(options)
    , m_print(std::move(print))
{
}

std::wstring TeamSetUp::DefaultOutbox()
{
    return RunFolder::StationFolder() + L"\\team-outbox.json";
}

TeamBatchDefinition TeamSetUp::Definition(const BatchPlan& plan) const
{
    TeamBatchDefinition definition;
    for (const std::wstring& input : plan.inputs) {
        definition.inputs.push_back(WideToUtf8(input));
    }
    definition.below = m_options.below;
    definition.charBelow = m_options.charBelow;
    definition.catchPercent = m_options.catchPercent;
    definition.lang = WideToUtf8(m_options.lang);
    definition.psm = WideToUtf8(m_options.psm);
    std::map<std::wstring, std::string> imageHashes;
    std::map<std::wstring, TeamDocument> documents; // a multi-page file's output is read once
    const auto document = [&](const char* kind, const std::wstring& path) {
        auto found = documents.find(path);
        if (found == documents.end()) {
            found = documents.emplace(path, Document(kind, path)).first;
        }
        return found->second;
    };
    for (size_t i = 0; i < plan.pages.size(); ++i) {
        const PlannedPage& planned = plan.pages[i];
        TeamPageSource page;
        page.position = TeamStore::BatchPosition(i);
        page.name = WideToUtf8(planned.stem);
        page.imagePath = WideToUtf8(planned.image);
        auto hash = imageHashes.find(planned.image);
        if (hash == imageHashes.end()) {
            hash = imageHashes.emplace(planned.image, Sha256::OfFile(planned.image)).first;
        }
        page.imageSha256 = hash->second;
        page.frame = static_cast<int>(planned.frame) + 1;
        page.byStation = planned.NeedsEngine();
        page.ocrPage = page.byStation ? 1 : planned.ocrPage;
        if (!planned.tsv.empty()) {
            page.documents.push_back(document("tsv", planned.tsv));
        }
        if (!planned.hocr.empty()) {
            page.documents.push_back(document("hocr", planned.hocr));
        }
        if (!planned.xml.empty()) {
            page.documents.push_back(document("xml", planned.xml));
        }
        definition.pages.push_back(page);
    }
    return definition;
}

void TeamSetUp::SendOutbox(DatabaseConnection& connection, const std::wstring& outbox, const OutboxAddress& here) const
{
    TeamOutbox kept(outbox);
    const OutboxSummary summary = OutboxSender::SendHere(connection, kept, here);
    const std::string shown = WideToUtf8(outbox);
    if (!summary.sent.empty()) {
        size_t recorded = 0;
        size_t answeredByAnother = 0;
        for (const AnswerReceipt& receipt : summary.sent) {
            recorded += receipt.fate == AnswerFate::Recorded || receipt.fate == AnswerFate::AlreadyRecorded ? 1 : 0;
            answeredByAnother += receipt.fate == AnswerFate::AnsweredByAnother ? 1 : 0;
        }
        // The rest came for a page that is done meanwhile: it lets no answer in.
        m_print(std::to_string(summary.sent.size()) + " answers kept by an earlier run sent from " + shown +
                      ": " + std::to_string(recorded) + " recorded, " + std::to_string(answeredByAnother) +
                      " answered by another station first, " +
                      std::to_string(summary.sent.size() - recorded - answeredByAnother) + " for a page done since");
    }
    for (const OutboxEntry& entry : summary.refused) {
        m_print("the team's server refused the answer to word " + std::to_string(entry.answer.index) +
                      " of page " + std::to_string(entry.answer.page) + " of the batch \"" +
                      entry.address.batchName + "\" kept in " + shown + ": " + entry.refusal);
    }
    if (!summary.refused.empty()) {
        m_print(TeamOutbox::RefusedAdvice(kept.RefusedPath()));
    }
    std::map<std::string, size_t> elsewhere; // by where they belong
    for (const OutboxEntry& entry : summary.elsewhere) {
        const OutboxAddress& to = entry.address;
        ++elsewhere[to.server.empty() ? "the batch \"" + to.batchName + "\" (kept by an earlier version)"
                                      : "the batch \"" + to.batchName + "\" (id " + std::to_string(to.batch) +
                                            ", created " + to.batchCreated + ") on " + to.server];
    }
    for (const auto& [where, count] : elsewhere) {
        std::string line = std::to_string(count) + " answers kept in " + shown + " are for ";
        line += where;
        line += ", not this server's batch: they stay there for a run of that batch";
        m_print(line);
    }
}

void TeamSetUp::MakePlan(const TeamBatch& batch, const std::map<int, std::vector<TeamDocument>>& documents,
                         const DocumentFolder& cache, PreparedSession& session, SessionRecord& record)
{
    const std::vector<TeamPageSource>& pages = batch.definition.pages;
    const std::vector<TeamDocument> none;
    const auto documentsOf = [&](int position) -> const std::vector<TeamDocument>& {
        const auto found = documents.find(position);
        return found == documents.end() ? none : found->second;
    };
    // The documents written where the readers find them, named after the page.
    const auto cached = [&](const TeamPageSource& page, const char* kind) -> StoredFile {
        const TeamDocument* document = Find(documentsOf(page.position), kind);
        return document == nullptr ? StoredFile() : TeamStore::CacheDocument(cache, page.name, *document);
    };
    // A page's name becomes the names of its files in the cache, and of the engine's output
    // and screenshots: the database is written by every station of the team, so its names are
    // checked as any input is, all before the first file is written.
    for (const TeamPageSource& page : pages) {
        if (!PathName::IsPlainFileName(Wide(page.name))) {
            throw InputError(Wide(page.imagePath), "the team's page " + std::to_string(page.position) + " is named \"" +
                                                       page.name + "\", which is no file name: the batch cannot be verified");
        }
    }
    std::map<std::wstring, std::string> imageHashes;
    for (size_t i = 0; i < pages.size();) {
        const TeamPageSource& first = pages[i];
        const std::wstring image = Wide(first.imagePath);
        auto hash = imageHashes.find(image);
        if (hash == imageHashes.end()) {
            hash = imageHashes.emplace(image, Sha256::OfFile(image)).first;
        }
        if (hash->second != first.imageSha256) {
            throw InputError(image, "is not the image the batch recorded: its content has changed");
        }
        // Every frame of the file is a page of the batch, the output given with the first
        // page serving them all, as when the batch was made.
        const size_t before = session.plan.pages.size();
        if (first.byStation) {
            session.plan.Add(image, L"", L"", L"");
        } else {
            session.plan.Add(image, Wide(cached(first, "tsv").path), Wide(cached(first, "hocr").path),
                             Wide(cached(first, "xml").path));
        }
        for (size_t frame = before; frame < session.plan.pages.size(); ++frame, ++i) {
            if (i >= pages.size() || pages[i].imagePath != first.imagePath ||
                pages[i].frame != static_cast<int>(frame - before) + 1) {
                throw InputError(image, "has other frames than the batch recorded");
            }
            const TeamPageSource& source = pages[i];
            PlannedPage& planned = session.plan.pages[frame];
            planned.stem = Wide(source.name);
            planned.ocrPage = source.ocrPage;
            StoredPage page;
            page.name = source.name;
            page.image = {source.imagePath, source.imageSha256};
            page.frame = source.frame;
            page.ocrPage = source.ocrPage;
            page.ocrByStation = source.byStation;
            if (source.byStation) {
                page.tsv = cached(source, "tsv");
                page.hocr = cached(source, "hocr");
                if (!page.tsv.path.empty() || !page.hocr.path.empty()) {
                    // Another station recognised it: its word indices are those the answers name.
                    session.recognised[frame] = {Wide(page.tsv.path), Wide(page.hocr.path)};
                }
            } else {
                const auto given = [&](const std::wstring& path, const char* kind) -> StoredFile {
                    const TeamDocument* document = Find(documentsOf(source.position), kind);
                    return {WideToUtf8(path), document == nullptr ? std::string() : document->sha256};
                };
                page.tsv = given(planned.tsv, "tsv");
                page.hocr = given(planned.hocr, "hocr");
                page.xml = given(planned.xml, "xml");
            }
            page.state = planned.NeedsEngine() && session.recognised.count(frame) == 0 ? PageState::kWaiting
                                                                                       : PageState::kRecognised;
            record.pages.push_back(page);
        }
    }
}

PreparedSession TeamSetUp::Prepare() const
{
    const StationOptions& options = m_options;
    PreparedSession session;
    SessionRecord record;
    BatchPlan given;
    if (!options.inputs.empty()) {
        given = BatchPlan::Make(options);
    }
    if (!options.answers.empty()) {
        session.answers = TypedAnswers::Read(options.answers);
    }
    const std::wstring outbox = options.outbox.empty() ? DefaultOutbox() : options.outbox;
    const TeamStation station = TeamStation::ThisStation();
    const TeamServer server(options.team);
    ServerRetry::Settings retrying;
    retrying.totalSeconds = static_cast<unsigned>(options.retrySeconds);
    ServerRetry retry(server, retrying, [this](const DatabaseError& failure, unsigned waitSeconds) {
        m_print(ServerRetry::Notice(failure, waitSeconds));
    });
    const std::string batchName = WideToUtf8(options.batch);
    const TeamBatchDefinition definition = Definition(given);
    // The weights of the station's --catch read before the batch may be made with it: weights
    // that cannot be used stop the start before anything is written.
    session.catchGoal = options.catchPercent / 100;
    session.LoadErrorModels();
    TeamBatch batch;
    bool created = false; // by an attempt that lost the server after its commit, too
    std::string serverName;
    std::map<int, std::vector<TeamDocument>> documents;
    std::map<int, std::string> states;
    // Each step is safe to run again on a new connection: the tables and the batch are
    // found once made, the station registered once, an answer recorded once.
    retry.Run([&](DatabaseConnection& connection) {
        TeamSchema::Ensure(connection);
        batch = TeamBatches::Open(connection, batchName, definition, station);
        created = created || batch.created;
        PageLeases::Register(connection, batch.id, station);
        serverName = TeamServer::Describe(connection);
        SendOutbox(connection, outbox, {serverName, batch.id, batchName, batch.createdAt});
        documents = TeamRows::ReadDocuments(connection, batch.id, 0, false);
        states = PageLeases::States(connection, batch.id);
        connection.Commit();
    });

    // The batch's rule, thresholds and engine settings win over the station's: every page of
    // a batch is read and chosen alike, whichever station recognises or verifies it.
    const TeamBatchDefinition& fixed = batch.definition;
    session.below = fixed.below;
    session.charBelow = fixed.charBelow;
    session.catchGoal = fixed.catchPercent / 100;
    session.learnsModel = !options.fixedModel;
    session.LoadErrorModels();
    const bool ruleGiven = options.catchPercent > 0 || options.belowGiven;
    if (ruleGiven && (options.catchPercent != fixed.catchPercent ||
                      (fixed.catchPercent == 0 && options.below != fixed.below))) {
        m_print("the batch's rule wins over this station's: " +
                PreparedSession::RuleOption(fixed.catchPercent, fixed.below) + ", not " +
                PreparedSession::RuleOption(options.catchPercent, options.below));
    }
    StationOptions engineOptions = options;
    if (Wide(batch.definition.lang) != options.lang || Wide(batch.definition.psm) != options.psm) {
        m_print("the batch's engine settings win over this station's: " +
                EngineSettings(batch.definition.lang, batch.definition.psm) + ", not " +
                EngineSettings(WideToUtf8(options.lang), WideToUtf8(options.psm)));
        engineOptions.lang = Wide(batch.definition.lang);
        engineOptions.psm = Wide(batch.definition.psm);
    }
    record.below = session.below;
    record.charBelow = session.charBelow;
    record.catchPercent = fixed.catchPercent;
    record.inputs = batch.definition.inputs;
    auto cache = std::make_shared<DocumentFolder>(Wide(station.instance));
    MakePlan(batch, documents, *cache, session, record);
    for (const auto& [position, state] : states) {
        const size_t at = TeamStore::SessionPosition(position);
        if (PageStateFromText(state) == PageState::kDone && at < record.pages.size()) {
            record.pages[at].state = PageState::kDone;
        }
    }
    session.plan.inputs.clear();
    for (const std::string& input : batch.definition.inputs) {
        session.plan.inputs.push_back(Wide(input));
    }
    bool needsEngine = false;
    for (size_t i = 0; i < session.plan.pages.size(); ++i) {
        needsEngine = needsEngine || (session.plan.pages[i].NeedsEngine() && session.recognised.count(i) == 0 &&
                                      record.pages[i].state != PageState::kDone);
    }
    if (needsEngine) {
        session.engine = std::make_shared<TesseractEngine>(engineOptions);
    }
    // The engine's output goes to the cache too: the station writes no output folder.
    session.outputs = std::make_unique<PageOutputs>(OutputLayout(cache->Folder(), false));
    session.files = std::make_unique<TeamPageFiles>(batchName, m_print);
    ::CreateDirectoryW(session.outputs->Layout().Path(OutputLayout::kOcrFolder).c_str(), nullptr);
    if (!options.screenshots.empty()) {
        ::CreateDirectoryW(options.screenshots.c_str(), nullptr);
    }

    TeamStore::Settings settings;
    settings.connection = options.team;
    settings.batch = batch.id;
    settings.batchName = batchName;
    settings.batchCreated = batch.createdAt;
    settings.server = serverName;
    settings.station = station;
    settings.leaseSeconds = static_cast<unsigned>(options.leaseSeconds);
    settings.retry = retrying;
    settings.outbox = outbox;
    settings.cache = cache;
    session.store = std::make_unique<TeamStore>(std::move(record), settings, m_print);
    m_print((created ? "created the team's batch " : "joined the team's batch ") + batchName + ": " +
            std::to_string(session.plan.pages.size()) + " pages, words " + session.RuleText() + ", as " +
            station.operatorName + " on " + station.computer);
    return session;
}
