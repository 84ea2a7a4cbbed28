#include "TruthAlignment.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <sstream>

#include "TruthText.h"

namespace {

long long Area(const Box& box)
{
    return static_cast<long long>(std::max(box.width, 0)) * std::max(box.height, 0);
}

long long Shared(const Box& a, const Box& b)
{
    return Area(a.ClippedTo(b));
}

Box Around(const std::vector<const PageWords::Word*>& words)
{
    int left = words[0]->box.left;
    int top = words[0]->box.top;
    int right = words[0]->box.Right();
    int bottom = words[0]->box.Bottom();
    for (const PageWords::Word* word : words) {
        left = std::min(left, word->box.left);
        top = std::min(top, word->box.top);
        right = std::max(right, word->box.Right());
        bottom = std::max(bottom, word->box.Bottom());
    }
    return {left, top, right - left, bottom - top};
}

// Groups of boxes joined whenever two share at least half of the smaller one.
class Groups {
public:
    explicit Groups(size_t count) : m_parent(count) { std::iota(m_parent.begin(), m_parent.end(), size_t{0}); }
    size_t Root(size_t i)
    {
        while (m_parent[i] != i) {
            m_parent[i] = m_parent[m_parent[i]];
            i = m_parent[i];
        }
        return i;
    }
    void Join(size_t a, size_t b) { m_parent[Root(a)] = Root(b); }

private:
    std::vector<size_t> m_parent;
};

} // namespace

TruthAlignment TruthAlignment::Match(const PageWords& engine, const TruthPage& truth)
{
    TruthAlignment alignment;
    if (truth.HasWords()) {
        alignment.ByBoxes(engine, truth);
    } else {
        alignment.ByLines(engine, truth);
    }
    return alignment;
}

void TruthAlignment::ByBoxes(const PageWords& engine, const TruthPage& truth)
{
    const std::vector<PageWords::Word>& words = engine.Words();
    std::vector<const TruthPage::Word*> truthWords;
    for (const TruthPage::Line& line : truth.lines) {
        for (const TruthPage::Word& word : line.words) {
            truthWords.push_back(&word);
        }
    }
    Groups groups(words.size() + truthWords.size());
    for (size_t e = 0; e < words.size(); ++e) {
        for (size_t t = 0; t < truthWords.size(); ++t) {
            const long long smaller = std::min(Area(words[e].box), Area(truthWords[t]->box));
            if (smaller > 0 && 2 * Shared(words[e].box, truthWords[t]->box) >= smaller) {
                groups.Join(e, words.size() + t);
            }
        }
    }
    std::map<size_t, std::pair<std::vector<size_t>, std::vector<size_t>>> members;
    for (size_t i = 0; i < words.size() + truthWords.size(); ++i) {
        auto& group = members[groups.Root(i)];
        (i < words.size() ? group.first : group.second).push_back(i);
    }
    for (const auto& [root, group] : members) {
        const auto& [engineSide, truthSide] = group;
        if (engineSide.size() == 1 && truthSide.size() == 1) {
            m_pairs[words[engineSide[0]].index] = truthWords[truthSide[0] - words.size()]->text;
        } else if (truthSide.empty()) {
            ++m_counts.added;
        } else if (engineSide.empty()) {
            ++m_counts.missed;
        } else if (engineSide.size() == 1) {
            ++m_counts.merged;
        } else {
            ++m_counts.split;
        }
    }
}

void TruthAlignment::ByLines(const PageWords& engine, const TruthPage& truth)
{
    std::map<int, std::vector<const PageWords::Word*>> engineLines;
    for (const PageWords::Word& word : engine.Words()) {
        engineLines[word.line].push_back(&word);
    }
    // Each engine line goes to the truth line sharing most of its box, if that is half or more.
    std::vector<std::vector<std::vector<const PageWords::Word*>>> assigned(truth.lines.size());
    for (const auto& [number, lineWords] : engineLines) {
        const Box box = Around(lineWords);
        size_t best = truth.lines.size();
        for (size_t t = 0; t < truth.lines.size(); ++t) {
            if (best == truth.lines.size() || Shared(box, truth.lines[t].box) > Shared(box, truth.lines[best].box)) {
                best = t;
            }
        }
        if (best == truth.lines.size() || 2 * Shared(box, truth.lines[best].box) < Area(box)) {
            m_counts.added += static_cast<int>(lineWords.size());
            continue;
        }
        assigned[best].push_back(lineWords);
    }
    for (size_t t = 0; t < truth.lines.size(); ++t) {
        std::stable_sort(assigned[t].begin(), assigned[t].end(), [](const auto& a, const auto& b) {
            return Around(a).left < Around(b).left;
        });
        std::vector<const PageWords::Word*> lineWords;
        for (const auto& part : assigned[t]) {
            lineWords.insert(lineWords.end(), part.begin(), part.end());
        }
        std::vector<std::string> tokens;
        std::istringstream split(truth.lines[t].text);
        for (std::string token; split >> token;) {
            tokens.push_back(token);
        }
        BySequence(lineWords, tokens);
    }
}

void TruthAlignment::BySequence(const std::vector<const PageWords::Word*>& engine,
                                const std::vector<std::string>& truth)
{
    enum Move { kNone, kPair, kAdded, kMissed, kMerged, kSplit };
    std::vector<std::string> e;
    std::vector<std::string> t;
    e.reserve(engine.size());
    t.reserve(truth.size());
    for (const PageWords::Word* word : engine) {
        e.push_back(TruthText::Fold(word->text, true));
    }
    for (const std::string& word : truth) {
        t.push_back(TruthText::Fold(word, true));
    }
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> cost(e.size() + 1, std::vector<double>(t.size() + 1, infinity));
    struct Step {
        size_t di = 0;
        size_t dj = 0;
        Move move = kNone;
    };
    std::vector<std::vector<Step>> steps(e.size() + 1, std::vector<Step>(t.size() + 1));
    cost[0][0] = 0;
    for (size_t i = 0; i <= e.size(); ++i) {
        for (size_t j = 0; j <= t.size(); ++j) {
            const double here = cost[i][j];
            if (here == infinity) {
                continue;
            }
            auto offer = [&](size_t di, size_t dj, Move move, double price) {
                if (here + price < cost[i + di][j + dj] - 1e-12) {
                    cost[i + di][j + dj] = here + price;
                    steps[i + di][j + dj] = {di, dj, move};
                }
            };
            if (i < e.size() && j < t.size()) {
                offer(1, 1, kPair, TruthText::Distance(e[i], t[j]));
            }
            if (i < e.size()) {
                offer(1, 0, kAdded, 1.0);
            }
            if (j < t.size()) {
                offer(0, 1, kMissed, 1.0);
            }
            if (i < e.size() && j + 1 < t.size()) {
                offer(1, 2, kMerged, TruthText::Distance(e[i], t[j] + t[j + 1]) + kMergePenalty);
            }
            if (i + 1 < e.size() && j < t.size()) {
                offer(2, 1, kSplit, TruthText::Distance(e[i] + e[i + 1], t[j]) + kMergePenalty);
            }
        }
    }
    for (size_t i = e.size(), j = t.size(); i > 0 || j > 0;) {
        const Step step = steps[i][j];
        i -= step.di;
        j -= step.dj;
        switch (step.move) {
        case kPair: m_pairs[engine[i]->index] = truth[j]; break;
        case kAdded: ++m_counts.added; break;
        case kMissed: ++m_counts.missed; break;
        case kMerged: ++m_counts.merged; break;
        case kSplit: ++m_counts.split; break;
        case kNone: return; // not reached: every cell but the first has a step
        }
    }
}
