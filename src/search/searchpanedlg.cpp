// CSearchPaneDlg: controls, streaming results, next/previous and the highlighted hit.
#include "search/searchpanedlg.h"

#include "convert/shownscript.h"

#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "document/textbuffer.h"
#include "layout/pagerenderer.h"
#include "search/searchresultmodel.h"
#include "search/searchworker.h"
#include "search/textsearch.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The "内容" column: the hit in bold between its plain context.
class HitDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const int start =
            std::clamp(index.data(SearchResultModel::kHitStartRole).toInt(), 0, int(text.size()));
        const int length =
            std::clamp(index.data(SearchResultModel::kHitLengthRole).toInt(), 0, int(text.size()) - start);
        QFont bold = opt.font;
        bold.setBold(true);
        const QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
        painter->save();
        painter->setClipRect(r);
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                             : QPalette::Text));
        int x = r.left() + 2;
        const QString parts[3] = {text.left(start), text.mid(start, length), text.mid(start + length)};
        for (int i = 0; i < 3; ++i) {
            const QFont& font = i == 1 ? bold : opt.font;
            painter->setFont(font);
            const QFontMetrics fm(font);
            painter->drawText(QRect(x, r.top(), r.right() - x + 1, r.height()),
                              Qt::AlignLeft | Qt::AlignVCenter, parts[i]);
            x += fm.horizontalAdvance(parts[i]);
        }
        painter->restore();
    }
};

bool SameQuery(const SearchQuery& a, const SearchQuery& b)
{
    return a.pattern == b.pattern && a.regex == b.regex && a.ignoreCase == b.ignoreCase &&
           a.ignoreWidth == b.ignoreWidth && a.shownScript == b.shownScript;
}

} // namespace

CSearchPaneDlg::CSearchPaneDlg(DocumentHost* host, QWidget* parent)
    : QWidget(parent), m_host(host), m_model(new SearchResultModel(this)),
      m_worker(std::make_unique<SearchWorker>())
{
    setObjectName(QStringLiteral("SearchPane"));
    m_patternBox = new QComboBox(this);
    m_patternBox->setEditable(true);
    m_patternBox->setInsertPolicy(QComboBox::NoInsert);
    m_patternBox->setMaxCount(SearchHistory::kMax);
    m_patternBox->lineEdit()->setPlaceholderText(QStringLiteral("查找内容"));
    m_history.Load();
    m_patternBox->addItems(m_history.Items());
    m_patternBox->setCurrentIndex(-1);
    m_regexBox = new QCheckBox(QStringLiteral("正则表达式"), this);
    m_caseBox = new QCheckBox(QStringLiteral("区分大小写"), this);
    m_widthBox = new QCheckBox(QStringLiteral("全角半角视为相同"), this);
    m_list = new QTableView(this);
    m_list->setModel(m_model);
    m_list->setItemDelegateForColumn(1, new HitDelegate(m_list));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_countLine = new QLabel(this);

    auto* options = new QHBoxLayout;
    options->addWidget(m_regexBox);
    options->addWidget(m_caseBox);
    options->addWidget(m_widthBox);
    options->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_patternBox);
    layout->addLayout(options);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_countLine);

    connect(m_patternBox->lineEdit(), &QLineEdit::returnPressed, this, &CSearchPaneDlg::FindNext);
    // Choosing a remembered search runs it.
    connect(m_patternBox, &QComboBox::activated, this, [this] { FindNext(); });
    for (QCheckBox* box : {m_regexBox, m_caseBox, m_widthBox})
        connect(box, &QCheckBox::toggled, this, [this] {
            if (m_haveQuery && !m_patternBox->currentText().isEmpty())
                StartSearch(QueryFromControls(), 0);
        });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_selecting && current.isValid())
                    OnRowActivated(current.row());
            });
    connect(m_list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& i) { OnRowActivated(i.row()); });
    connect(m_worker.get(), &SearchWorker::HitsReady, this, &CSearchPaneDlg::OnHitsReady,
            Qt::QueuedConnection);
    connect(m_worker.get(), &SearchWorker::Finished, this, &CSearchPaneDlg::OnFinished, Qt::QueuedConnection);
}

CSearchPaneDlg::~CSearchPaneDlg()
{
    // The frame may be taking the view down already: only the renderer is told.
    ThePageRenderer().SetHighlight(0, 0);
}

CMyView* CSearchPaneDlg::ReadingView() const
{
    CMyView* view = m_host ? m_host->ActiveView() : nullptr;
    return view && !view->IsEditView() ? view : nullptr;
}

SearchQuery CSearchPaneDlg::QueryFromControls() const
{
    SearchQuery query{m_patternBox->currentText(), m_regexBox->isChecked(), !m_caseBox->isChecked(),
                      m_widthBox->isChecked()};
    query.shownScript = ShownScript::Instance().Config();
    return query;
}

void CSearchPaneDlg::FocusPattern()
{
    m_patternBox->setFocus();
    m_patternBox->lineEdit()->selectAll();
}

bool CSearchPaneDlg::IsSearching() const
{
    return m_haveQuery && !m_finished;
}

void CSearchPaneDlg::FindNext()
{
    Go(+1);
}

void CSearchPaneDlg::FindPrevious()
{
    Go(-1);
}

void CSearchPaneDlg::Search()
{
    StartSearch(QueryFromControls(), 0);
}

void CSearchPaneDlg::Go(int direction)
{
    const SearchQuery query = QueryFromControls();
    if (query.pattern.isEmpty())
        return;
    if (!m_haveQuery || !SameQuery(query, m_query) || !m_text) {
        StartSearch(query, direction);
        return;
    }
    m_pendingJump = direction;
    if (!m_model->Hits().empty() || m_finished)
        OnHitsReady(m_generation);
}

void CSearchPaneDlg::StartSearch(const SearchQuery& query, int jump)
{
    m_worker->Cancel();
    ShowHighlight(false);
    m_current = -1;
    m_pendingJump = jump;
    m_finished = false;
    m_outcome = {};
    m_query = query;
    m_haveQuery = true;
    CMyView* view = ReadingView();
    const TextBuffer* buffer = view && view->GetDocument() ? view->GetDocument()->Buffer() : nullptr;
    if (!m_text && buffer) {
        const char16_t* text = nullptr;
        std::int32_t length = 0;
        buffer->GetText(&text, &length);
        if (text && length > 0)
            m_text = std::make_shared<const std::u16string>(text, static_cast<std::size_t>(length));
    }
    m_model->Reset(m_text, [this](std::int32_t offset) {
        CMyView* v = ReadingView();
        return v ? v->FormatPositionLabel(offset) : QString();
    });
    if (!query.pattern.isEmpty()) {
        m_history.Add(query.pattern);
        m_patternBox->blockSignals(true);
        m_patternBox->clear();
        m_patternBox->addItems(m_history.Items());
        m_patternBox->setCurrentIndex(0);
        m_patternBox->blockSignals(false);
    }
    if (const QString problem = SearchPatternProblem(query); !problem.isEmpty() || query.pattern.isEmpty()) {
        m_finished = true;
        m_outcome = {SearchStatus::InvalidPattern, problem, 0};
        UpdateCountLine();
        emit SearchFinished();
        return;
    }
    m_generation = m_worker->Start(m_text, query);
    UpdateCountLine();
}

void CSearchPaneDlg::OnHitsReady(quint64 generation)
{
    if (generation != m_generation)
        return;
    if (!m_finished)
        m_model->Append(m_worker->TakeHits(generation));
    UpdateCountLine();
    CMyView* view = ReadingView();
    if (m_pendingJump == 0 || !view)
        return;
    const std::vector<SearchHit>& hits = m_model->Hits();
    // Measured from the current hit while the reader has not moved since going there, else from
    // the page being read (a hit at its very start counts as after it).
    const bool fromHit = m_current >= 0 && view->CurrentOffset() == m_shownAt;
    const std::int32_t from = fromHit ? hits[static_cast<std::size_t>(m_current)].offset
                                      : view->CurrentOffset() - (m_pendingJump > 0 ? 1 : 0);
    int target = -1;
    if (m_pendingJump > 0) {
        // Known once a later hit arrived, or at the end (then it wraps to the first).
        if (!hits.empty() && (hits.back().offset > from || m_finished))
            target = NextHit(hits, from);
    } else {
        const int before = PreviousHit(hits, from);
        // Known once a hit at or after the position arrived, unless it wraps to the last.
        if (before >= 0 && (m_finished || (static_cast<std::size_t>(before) + 1 < hits.size())))
            target = before;
        if (before >= 0 && !m_finished && hits.front().offset >= from)
            target = -1;
    }
    if (target >= 0) {
        m_pendingJump = 0;
        JumpTo(target);
    } else if (m_finished) {
        m_pendingJump = 0;
    }
}

void CSearchPaneDlg::OnFinished(quint64 generation)
{
    if (generation != m_generation)
        return;
    m_model->Append(m_worker->TakeHits(generation));
    if (std::optional<SearchOutcome> outcome = m_worker->TakeOutcome(generation))
        m_outcome = *outcome;
    m_finished = true;
    OnHitsReady(generation);
    UpdateCountLine();
    emit SearchFinished();
}

void CSearchPaneDlg::JumpTo(int index)
{
    const std::vector<SearchHit>& hits = m_model->Hits();
    CMyView* view = ReadingView();
    if (index < 0 || static_cast<std::size_t>(index) >= hits.size() || !view)
        return;
    m_current = index;
    m_selecting = true;
    m_list->setCurrentIndex(m_model->index(index, 0));
    m_list->scrollTo(m_model->index(index, 0));
    m_selecting = false;
    ShowHighlight(true);
    // Through the view's own jump: recorded in the history, no page-turn effect.
    view->GoToOffset(hits[static_cast<std::size_t>(index)].offset);
    m_shownAt = view->CurrentOffset();
}

void CSearchPaneDlg::OnRowActivated(int row)
{
    if (row != m_current || m_shownAt != (ReadingView() ? ReadingView()->CurrentOffset() : -1))
        JumpTo(row);
}

void CSearchPaneDlg::ShowHighlight(bool on)
{
    const std::vector<SearchHit>& hits = m_model->Hits();
    if (on && m_current >= 0 && static_cast<std::size_t>(m_current) < hits.size()) {
        const SearchHit& hit = hits[static_cast<std::size_t>(m_current)];
        ThePageRenderer().SetHighlight(hit.offset, hit.length);
    } else {
        ThePageRenderer().SetHighlight(0, 0);
    }
    if (CMyView* view = ReadingView())
        if (auto* widget = dynamic_cast<QWidget*>(view)) {
            if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
                area->viewport()->update();
            else
                widget->update();
        }
}

void CSearchPaneDlg::UpdateCountLine()
{
    const int count = static_cast<int>(m_model->Hits().size());
    QString line;
    if (m_outcome.status == SearchStatus::InvalidPattern)
        line = m_outcome.message;
    else if (m_haveQuery && !m_query.pattern.isEmpty())
        line = QStringLiteral("共 %1 处").arg(count);
    if (m_finished && m_outcome.status == SearchStatus::Capped)
        line += QStringLiteral("，已达上限");
    else if (m_finished && m_outcome.status == SearchStatus::LimitHit)
        line += QStringLiteral("，") + m_outcome.message;
    m_countLine->setText(line);
}

void CSearchPaneDlg::Clear()
{
    m_worker->Cancel();
    ShowHighlight(false);
    m_generation = 0;
    m_text.reset();
    m_haveQuery = false;
    m_finished = false;
    m_pendingJump = 0;
    m_current = -1;
    m_shownAt = -1;
    m_outcome = {};
    m_model->Reset(nullptr, {});
    m_countLine->clear();
}

void CSearchPaneDlg::End()
{
    m_worker->Cancel();
    ShowHighlight(false);
}

bool CSearchPaneDlg::WaitForSearch(int msecs)
{
    return m_worker->WaitFor(msecs);
}

void CSearchPaneDlg::hideEvent(QHideEvent* event)
{
    // A closed pane leaves no mark on the page.
    ShowHighlight(false);
    QWidget::hideEvent(event);
}
