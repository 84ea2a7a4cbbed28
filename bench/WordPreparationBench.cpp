#include "WordPreparationBench.h"

#include <cstdio>

#include "HocrDocument.h"
#include "PageImage.h"
#include "PageWords.h"
#include "TsvDocument.h"
#include "TsvHocrWords.h"
#include "WordInLine.h"

void WordPreparationBench::Run(const char* name, const std::wstring& base, const wchar_t* image, int repetitions,
                               std::vector<BenchRow>& rows)
{
    const PageImage page = PageImage::Read(base + image);
    const TsvDocument tsv = TsvDocument::Read(base + L".tsv");
    const HocrDocument hocr = HocrDocument::Read(base + L".hocr");
    const PageWords words = TsvHocrWords::From(&tsv, &hocr, base + L".hocr");
    std::vector<double> times;
    size_t runs = 0;
    for (int i = 0; i < repetitions; ++i) {
        for (const PageWords::Word& word : words.Words()) {
            if (word.box.Empty()) {
                continue;
            }
            const Stopwatch watch;
            const WordPicture picture = WordInLine::Draw(page.Grey(), words, word, 90);
            times.push_back(watch.Seconds());
            runs += picture.Ink().size() + picture.Uncertain().size();
        }
    }
    rows.push_back({name, Summary::Of(times), {0, 0, 0}, "ms", 1e3});
    std::printf("(%s: %zu words, %.0f runs a word)\n", name, times.size(),
                times.empty() ? 0.0 : static_cast<double>(runs) / times.size());
}
