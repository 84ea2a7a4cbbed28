#include "TesseractEngine.h"

#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "InputError.h"
#include "JobProcess.h"
#include "Utf8.h"

namespace {

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Environment(const wchar_t* name)
{
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableW(name, &value[0], static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length); // 0 when it is not set
            return value;
        }
        value.resize(length); // the size it needs, terminator included
    }
}

// The program in the folders of the PATH, in their order, and nowhere else: not in the
// current folder nor the station's own, where SearchPathW would look first and where anyone
// who can write a file (a downloaded archive, a shared scans folder) could leave a program
// of that name. A relative entry would name the current folder too, and is passed over.
std::wstring OnPath(const wchar_t* program)
{
    const std::wstring path = Environment(L"PATH");
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L';', start);
        end = end == std::wstring::npos ? path.size() : end;
        std::wstring folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        if (folder.empty() || ::PathIsRelativeW(folder.c_str())) {
            continue;
        }
        std::wstring candidate = folder + (folder.back() == L'\\' || folder.back() == L'/' ? L"" : L"\\") + program;
        if (IsFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

// The last line the engine printed: the reason it gives for a failure.
std::string LastLine(const std::wstring& log)
{
    std::string content;
    std::string unread; // no log: no line
    AtomicFile::Read(log, content, unread);
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
        content.pop_back();
    }
    const size_t newline = content.find_last_of('\n');
    return newline == std::string::npos ? content : content.substr(newline + 1);
}

std::string FileProblem(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return "wrote no " + WideToUtf8(path);
    }
    return data.nFileSizeLow == 0 && data.nFileSizeHigh == 0 ? "wrote an empty " + WideToUtf8(path) : std::string();
}

// The models a language option names: "deu+frk" names two.
std::vector<std::wstring> Models(const std::wstring& langs)
{
    std::vector<std::wstring> models;
    size_t start = 0;
    while (start <= langs.size()) {
        const size_t plus = std::min(langs.find(L'+', start), langs.size());
        models.push_back(langs.substr(start, plus - start));
        start = plus + 1;
    }
    return models;
}

std::string Joined(const std::set<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : ", ") + name;
    }
    return joined;
}

} // namespace

TesseractEngine::TesseractEngine(const StationOptions& options)
    : m_lang(options.lang)
    , m_secondLang(options.secondLang)
    , m_psm(options.psm)
    , m_timeLimitMs(static_cast<DWORD>(options.engineSeconds) * 1000)
{
    if (!options.tesseract.empty()) {
        if (!IsFile(options.tesseract)) {
            throw InputError(options.tesseract, "the engine given with --tesseract does not exist");
        }
        m_program = options.tesseract;
    } else {
        const std::wstring onPath = OnPath(L"tesseract.exe");
        std::wstring programFiles = Environment(L"ProgramW6432");
        if (programFiles.empty()) {
            programFiles = Environment(L"ProgramFiles");
        }
        const std::wstring installed = (programFiles.empty() ? std::wstring(L"C:\\Program Files") : programFiles) +
                                       L"\\Tesseract-OCR\\tesseract.exe";
        if (!onPath.empty()) {
            m_program = onPath;
        } else if (IsFile(installed)) {
            m_program = installed;
        } else {
            throw InputError(L"tesseract.exe",
                             "the engine is needed for pages without Tesseract's output beside them, and it is not "
                             "on the PATH nor in " + WideToUtf8(installed) +
                                 ": install Tesseract for Windows (its installer puts it there), or pass "
                                 "--tesseract FILE");
        }
    }
    // Without a limit of its own the engine takes every core; one leaves the operator's
    // dialog a core of its own.
    if (Environment(L"OMP_THREAD_LIMIT").empty()) {
        ::SetEnvironmentVariableW(L"OMP_THREAD_LIMIT", L"1");
    }
    if (!m_lang.empty() || !m_secondLang.empty()) {
        RefuseMissingModels();
    }
}

std::set<std::string> TesseractEngine::InstalledModels() const
{
    // The list goes to a file of its own in the temporary folder: no output folder exists yet.
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t log[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH, folder) == 0 || ::GetTempFileNameW(folder, L"tsl", 0, log) == 0) {
        throw InputError(m_program, "cannot ask the engine for its models: no temporary file (error " +
                                        std::to_string(::GetLastError()) + ")");
    }
    const JobProcess::Result run =
        JobProcess::Run(JobProcess::Quoted(m_program) + L" --list-langs", folder, log, m_timeLimitMs, nullptr);
    std::string listed;
    std::string unread;
    const bool read = AtomicFile::Read(log, listed, unread);
    ::DeleteFileW(log);
    if (!run.ended || run.exitCode != 0 || !read) {
        throw InputError(m_program, "cannot tell which models the engine has (--list-langs " +
                                        (run.ended ? "ended with status " + std::to_string(run.exitCode)
                                                   : run.failure) +
                                        ")");
    }
    // One name a line after the heading ("List of available languages in ..."), which no model
    // is named.
    std::set<std::string> models;
    size_t start = 0;
    while (start < listed.size()) {
        size_t end = std::min(listed.find('\n', start), listed.size());
        std::string line = listed.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        if (!line.empty() && line.find(' ') == std::string::npos) {
            models.insert(line);
        }
    }
    return models;
}

void TesseractEngine::RefuseMissingModels() const
{
    const std::set<std::string> installed = InstalledModels();
    const std::pair<const char*, const std::wstring*> options[] = {{"--lang", &m_lang},
                                                                    {"--second-lang", &m_secondLang}};
    for (const auto& [option, langs] : options) {
        for (const std::wstring& model : langs->empty() ? std::vector<std::wstring>() : Models(*langs)) {
            if (installed.count(WideToUtf8(model)) == 0) {
                throw InputError(m_program, std::string("has no model \"") + WideToUtf8(model) + "\" (" + option +
                                                "); its models: " + Joined(installed));
            }
        }
    }
}

std::string TesseractEngine::Recognise(const std::wstring& image, unsigned frame, unsigned frames,
                                       const std::wstring& base, HANDLE cancel, Reading reading) const
{
    const std::wstring& lang = reading == Reading::kSecond ? m_secondLang : m_lang;
    const std::wstring running = base + L".running";
    std::wstring commandLine = JobProcess::Quoted(m_program) + L" " + JobProcess::Quoted(image) + L" " +
                               JobProcess::Quoted(running) + L" -c hocr_char_boxes=1";
    if (frames > 1) {
        commandLine += L" -c tessedit_page_number=" + std::to_wstring(frame);
    }
    if (!lang.empty()) {
        commandLine += L" -l " + JobProcess::Quoted(lang);
    }
    if (!m_psm.empty()) {
        commandLine += L" --psm " + m_psm;
    }
    commandLine += L" tsv hocr";
    const size_t slash = base.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : base.substr(0, slash);
    const std::wstring log = base + L".log";
    const std::wstring outputs[] = {running + L".tsv", running + L".hocr"};
    for (const std::wstring& output : outputs) {
        ::DeleteFileW(output.c_str());
    }
    const JobProcess::Result run = JobProcess::Run(commandLine, folder, log, m_timeLimitMs, cancel);
    std::string failure;
    if (!run.ended) {
        failure = "the engine " + run.failure;
    } else if (run.exitCode != 0) {
        failure = "the engine ended with status " + std::to_string(run.exitCode) + ": " + LastLine(log);
    } else {
        for (const std::wstring& output : outputs) {
            const std::string problem = FileProblem(output);
            if (failure.empty() && !problem.empty()) {
                failure = "the engine " + problem;
            }
        }
    }
    if (failure.empty()) {
        // Kept as every file of the session is written: on the disk before it takes its name,
        // so that a power cut soon after leaves no empty or partial output for a later run.
        const std::wstring finals[] = {base + L".tsv", base + L".hocr"};
        for (int i = 0; i < 2 && failure.empty(); ++i) {
            std::string content;
            std::string error;
            if (AtomicFile::Read(outputs[i], content, error) && AtomicFile::Write(finals[i], content, error)) {
                continue;
            }
            failure = "cannot keep " + WideToUtf8(finals[i]) + ": " + error;
        }
    }
    for (const std::wstring& output : outputs) {
        ::DeleteFileW(output.c_str());
    }
    if (failure.empty()) {
        ::DeleteFileW(log.c_str());
    }
    return failure;
}
