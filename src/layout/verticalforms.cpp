// The vertical punctuation table.
#include "layout/verticalforms.h"

#include <array>
#include <string_view>

namespace {

struct VerticalRow
{
    std::u16string_view units;
    char16_t form;
};

// Private-use targets stand for the fonts that keep vertical punctuation there; StandardForm moves
// them to their standard places.
constexpr VerticalRow kVerticalRows[] = {
    {u"(\uFE59\uFF08", 0xFE35},
    {u")\uFE5A\uFF09", 0xFE36},
    {u"[\u3014\uFE5D\uFF3B", 0xFE39},
    {u"]\u3015\uFE5E\uFF3D", 0xFE3A},
    {u"<\u3008\uFE64\uFF1C", 0xFE3F},
    {u">\u3009\uFE65\uFF1E", 0xFE40},
    {u"\u300A", 0xFE3D},
    {u"\u300B", 0xFE3E},
    {u"\u201C\u300E", 0xFE43},
    {u"\u201D\u300F", 0xFE44},
    {u"\u2018\u300C", 0xFE41},
    {u"\u2019\u300D", 0xFE42},
    {u"\u3010", 0xFE3B},
    {u"\u3011", 0xFE3C},
    {u"\u3016", 0xE794},
    {u"\u3017", 0xE795},
    {u"{\uFE5B\uFF5B", 0xFE37},
    {u"}\uFE5C\uFF5D", 0xFE38},
    {u"\u2500", 0xFE31},
    {u"-\u2014\uFE63", 0xFE33},
    {u",\uFE50\uFF0C", 0xE78D},
    {u"\u3001\uFE51", 0xE78F},
    {u";\uFE54\uFF1B", 0xE791},
    {u":\uFE55\uFF1A", 0xE790},
    {u"?\uFE56\uFF1F", 0xE793},
    {u"!\uFE57\uFF01", 0xE792},
    {u"\u3002", 0xE78E},
};

// U+E78D..U+E795 in their standard places U+FE10..U+FE18.
constexpr char16_t kStandardForms[] = {0xFE10, 0xFE12, 0xFE11, 0xFE13, 0xFE14,
                                       0xFE15, 0xFE16, 0xFE17, 0xFE18};

char16_t StandardForm(char16_t unit)
{
    return unit >= 0xE78D && unit <= 0xE795 ? kStandardForms[unit - 0xE78D] : unit;
}

const std::array<char16_t, 65536>& FormTable()
{
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> t{};
        for (int u = 0; u < 65536; ++u)
            t[static_cast<std::size_t>(u)] = StandardForm(static_cast<char16_t>(u));
        for (const VerticalRow& row : kVerticalRows)
            for (const char16_t u : row.units)
                t[u] = StandardForm(row.form);
        return t;
    }();
    return table;
}

} // namespace

char16_t VerticalFormOf(char16_t unit)
{
    return FormTable()[unit];
}

bool IsTurnedInVertical(char16_t unit)
{
    constexpr std::u16string_view kTurned = u"=~\u2026\uFE66\uFF1D\uFF5E";
    return kTurned.find(unit) != std::u16string_view::npos;
}
