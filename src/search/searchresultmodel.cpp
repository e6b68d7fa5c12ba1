// SearchResultModel: rows made on demand from the hits and the text they were found in.
#include "search/searchresultmodel.h"

#include "search/textsearch.h"

#include "convert/shownscript.h"

#include <algorithm>

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void SearchResultModel::Reset(std::shared_ptr<const std::u16string> text, Label label)
{
    beginResetModel();
    m_text = std::move(text);
    m_label = std::move(label);
    m_hits.clear();
    m_hits.shrink_to_fit();
    endResetModel();
}

void SearchResultModel::Append(const std::vector<SearchHit>& hits)
{
    if (hits.empty())
        return;
    const int first = static_cast<int>(m_hits.size());
    beginInsertRows({}, first, first + static_cast<int>(hits.size()) - 1);
    m_hits.insert(m_hits.end(), hits.begin(), hits.end());
    endInsertRows();
}

int SearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_hits.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SearchHit& hit = m_hits[static_cast<std::size_t>(index.row())];
    if (index.column() == 0)
        return role == Qt::DisplayRole && m_label ? QVariant(m_label(hit.offset)) : QVariant();
    if (role != Qt::DisplayRole && role != kHitStartRole && role != kHitLengthRole && role != Qt::ToolTipRole)
        return {};
    if (!m_text)
        return {};
    const int after = std::max(0, kContextUnits - kContextBefore - hit.length);
    const SearchContext c =
        ContextOfHit(m_text->data(), static_cast<std::int32_t>(m_text->size()), hit, kContextBefore, after);
    if (role == kHitStartRole)
        return c.hitStart;
    if (role == kHitLengthRole)
        return c.hitLength;
    // In the script the pages are shown in; the same length, so the hit's place holds.
    const std::u16string shown = ShownScript::Instance().Short(std::u16string_view(
        reinterpret_cast<const char16_t*>(c.text.utf16()), static_cast<std::size_t>(c.text.size())));
    return QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size()));
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("位置") : QStringLiteral("内容");
}
