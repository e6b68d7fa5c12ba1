// SearchResultModel: the search pane's rows, "位置 | 内容", filled in batches as hits arrive.
#pragma once

#include "search/searchquery.h"

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Labels and contexts are made when a row is shown, so ten thousand hits cost nothing up front.
class SearchResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Label = std::function<QString(std::int32_t offset)>;
    // Where the hit lies within the "内容" text (for drawing it bold).
    static constexpr int kHitStartRole = Qt::UserRole + 1;
    static constexpr int kHitLengthRole = Qt::UserRole + 2;
    static constexpr int kContextBefore = 8;
    static constexpr int kContextUnits = 20;

    explicit SearchResultModel(QObject* parent = nullptr);

    // Forgets every row; `text` is what the offsets of the next hits point into.
    void Reset(std::shared_ptr<const std::u16string> text, Label label);
    void Append(const std::vector<SearchHit>& hits);
    const std::vector<SearchHit>& Hits() const { return m_hits; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const std::u16string> m_text;
    Label m_label;
    std::vector<SearchHit> m_hits;
};
