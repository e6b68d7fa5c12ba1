#include "search/searchscripts.h"

#include "convert/scriptconverter.h"
#include "search/textsearch.h"

#include <QRegularExpression>
#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace {

QString Converted(const QString& text, ConvertConfig config)
{
    const std::shared_ptr<ScriptConverter> converter = ScriptConverter::Get(config);
    if (!converter)
        return text;
    const std::u16string out = converter->ConvertWhole(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
    return QString::fromUtf16(out.data(), static_cast<qsizetype>(out.size()));
}

bool HasBackReference(const QString& pattern)
{
    static const QRegularExpression reference(QStringLiteral(R"(\\(?:[1-9]|[gk])|\(\?P=)"));
    return pattern.contains(reference);
}

} // namespace

QStringList OtherScriptForms(const SearchQuery& query)
{
    if (query.shownScript == ConvertConfig::None || query.pattern.isEmpty() ||
        (query.regex && HasBackReference(query.pattern)))
        return {};
    // A book shown in Traditional is Simplified, and the reverse: the pattern the way the book writes
    // it and the way the screen does.
    const std::initializer_list<ConvertConfig> simplifiedBook = {ConvertConfig::T2S, query.shownScript};
    const std::initializer_list<ConvertConfig> traditionalBook = {ConvertConfig::S2T, ConvertConfig::S2TW,
                                                                  ConvertConfig::S2HK, ConvertConfig::T2S};
    QStringList forms;
    for (ConvertConfig config : query.shownScript == ConvertConfig::T2S ? traditionalBook : simplifiedBook) {
        const QString form = Converted(query.pattern, config);
        if (form != query.pattern && !forms.contains(form))
            forms.append(form);
    }
    return forms;
}

SearchQuery WithOtherForms(const SearchQuery& query)
{
    if (query.otherForms.isEmpty())
        return query;
    SearchQuery joined = query;
    joined.otherForms.clear();
    QStringList forms{query.pattern};
    forms += query.otherForms;
    // The longest first: where two forms start at one place, the hit takes the longer.
    std::stable_sort(forms.begin(), forms.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QStringList parts;
    for (const QString& form : forms)
        parts.append(query.regex ? QStringLiteral("(?:") + form + u')' : QRegularExpression::escape(form));
    joined.pattern = parts.join(u'|');
    joined.regex = true;
    // A regex that only stands alone (an open \Q...) is searched as it is.
    if (query.regex && !SearchPatternProblem(joined).isEmpty()) {
        SearchQuery alone = query;
        alone.otherForms.clear();
        return alone;
    }
    return joined;
}
