// The book the search benchmarks share: ten million characters of Chinese paragraphs with a word
// planted 2,000 times.
#pragma once

#include <QString>
#include <cstdint>

namespace searchbench {

inline constexpr std::int32_t kBookUnits = 10'000'000;
inline constexpr int kHits = 2000;
inline const QString kWord = QStringLiteral("风起云涌");

// Chinese paragraphs with the word planted every 5,000 characters; its characters also occur alone.
inline const QString& Book()
{
    static const QString book = [] {
        QString s;
        s.reserve(kBookUnits + 1024);
        std::uint32_t seed = 2024;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        const QString common = QStringLiteral(
            "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会风云");
        int planted = 0;
        while (s.size() < kBookUnits - 8) {
            if (planted < kHits && s.size() >= static_cast<qsizetype>(planted) * (kBookUnits / kHits)) {
                ++planted;
                s += kWord;
            }
            const std::uint32_t r = next() % 100;
            if (r < 8)
                s += QStringLiteral("，");
            else if (r < 9)
                s += u'\r';
            else if (r < 60)
                s += common[static_cast<qsizetype>(next() % common.size())];
            else
                s += QChar(static_cast<char16_t>(0x4E00 + next() % 0x5000));
        }
        s.truncate(kBookUnits);
        return s;
    }();
    return book;
}

} // namespace searchbench
