// CChapterListDlg: refresh through the search worker, following the reader, jumps, font size.
#include "chapters/chapterlistdlg.h"

#include "chapters/chapterpattern.h"
#include "chapters/chaptersearchworker.h"
#include "chapters/chaptersettingsdlg.h"
#include "chapters/conditionfile.h"
#include "convert/shownscript.h"
#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "views/viewhost.h"

#include <QComboBox>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kAskSave = QStringLiteral("文件内容已被修改，您想保存吗？");
const QString kBadConditions = QStringLiteral("抱歉，查找条件有问题，请检查设置。");
const QString kSaveFailed = QStringLiteral("文件保存失败。");
constexpr int kLargestFont = 32;

} // namespace

CChapterListDlg::CChapterListDlg(DocumentHost* host, ViewHost* viewHost, QWidget* parent)
    : QWidget(parent), m_host(host), m_viewHost(viewHost)
{
    setObjectName(QStringLiteral("ChapterListDlg"));

    m_refreshButton = new QPushButton(QStringLiteral("刷新"), this);
    m_refreshButton->setObjectName(QStringLiteral("RefreshButton"));
    m_settingsButton = new QPushButton(QStringLiteral("设置"), this);
    m_settingsButton->setObjectName(QStringLiteral("SettingsButton"));
    auto* sizeLabel = new QLabel(QStringLiteral("字号:"), this);
    m_sizeCombo = new QComboBox(this);
    m_sizeCombo->setObjectName(QStringLiteral("FontSizeCombo"));
    sizeLabel->setBuddy(m_sizeCombo);

    m_list = new QTableWidget(0, 2, this);
    m_list->setObjectName(QStringLiteral("ChapterList"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("位置"), QStringLiteral("章节")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 120);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("ChapterStatus"));
    m_status->setWordWrap(true);
    m_status->hide();

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_refreshButton);
    top->addWidget(m_settingsButton);
    top->addStretch();
    top->addWidget(sizeLabel);
    top->addWidget(m_sizeCombo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);

    // Sizes from the pane's own font height up to 32 pixels.
    m_baseHeight = std::max(1, QFontInfo(font()).pixelSize());
    for (int h = m_baseHeight; h <= std::max(m_baseHeight, kLargestFont); ++h)
        m_sizeCombo->addItem(QString::number(h));
    const int index = std::clamp(ParaGetInt(PARA_CHP_FONT_SIZE), 0, m_sizeCombo->count() - 1);
    m_sizeCombo->setCurrentIndex(index);
    QFont listFont = font();
    listFont.setPixelSize(m_baseHeight + index);
    m_list->setFont(listFont);
    m_list->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 4);

    LoadConditionFile(ConditionFilePath(), m_conditions);

    m_worker = new ChapterSearchWorker(this);
    connect(m_worker, &ChapterSearchWorker::Finished, this, &CChapterListDlg::OnSearchFinished,
            Qt::QueuedConnection);
    m_followTimer = new QTimer(this);
    m_followTimer->setInterval(kFollowIntervalMs);
    connect(m_followTimer, &QTimer::timeout, this, &CChapterListDlg::FollowReader);

    connect(m_refreshButton, &QPushButton::clicked, this, [this] { RunRefresh(true); });
    connect(m_settingsButton, &QPushButton::clicked, this, &CChapterListDlg::OpenSettings);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CChapterListDlg::OnSelectionChanged);
    connect(m_sizeCombo, &QComboBox::currentIndexChanged, this, &CChapterListDlg::OnFontSizeChanged);

    UpdateColumnWidths();
    // A pane opened on a book lists its chapters at once.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const CMyView* view = ActiveView();
            if (view && view->GetDocument() && view->GetDocument()->HasText())
                Refresh();
        },
        Qt::QueuedConnection);
}

CChapterListDlg::~CChapterListDlg()
{
    // The frame around may already be going away: only the pane's own parts are touched here.
    m_followTimer->stop();
    m_worker->Cancel();
    ParaSetInt(m_sizeCombo->currentIndex(), PARA_CHP_FONT_SIZE);
}

CMyView* CChapterListDlg::ActiveView() const
{
    return m_host ? m_host->ActiveView() : nullptr;
}

bool CChapterListDlg::IsFollowing() const
{
    return m_followTimer->isActive();
}

void CChapterListDlg::StopFollowing()
{
    m_followTimer->stop();
}

void CChapterListDlg::EmptyList()
{
    m_busy = true;
    m_list->setUpdatesEnabled(false);
    m_list->clearContents();
    m_list->setRowCount(0);
    m_list->setUpdatesEnabled(true);
    m_busy = false;
}

void CChapterListDlg::Clear()
{
    StopFollowing();
    m_worker->Cancel();
    m_searching = false;
    m_list->unsetCursor();
    EmptyList();
    m_table.Reset();
    m_status->clear();
    m_status->hide();
}

void CChapterListDlg::End()
{
    StopFollowing();
    m_worker->RequestStop();
    ParaSetInt(m_sizeCombo->currentIndex(), PARA_CHP_FONT_SIZE);
}

bool CChapterListDlg::WaitForSearch(int msecs)
{
    return m_worker->WaitFor(msecs);
}

void CChapterListDlg::Refresh()
{
    RunRefresh(false);
}

void CChapterListDlg::RunRefresh(bool focusList)
{
    Clear();
    CMyView* view = ActiveView();
    CLeafturnerDoc* doc = view ? view->GetDocument() : nullptr;
    if (!doc || !doc->HasText())
        return;
    if (doc->IsModified()) {
        if (AskQuestion(kAskSave, MsgButtons::OkCancel) != MsgAnswer::Ok)
            return;
        // A save that failed keeps the modified flag, so the edits are offered again at close.
        doc->SaveBeforeLeaving();
        // The question ran an event loop: take the view and the book as they are now.
        view = ActiveView();
        doc = view ? view->GetDocument() : nullptr;
        if (!doc || !doc->Buffer())
            return;
    }
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    doc->Buffer()->GetText(&text, &length);
    if (!text || length <= 0)
        return;
    const ChapterSearchOptions options = ChapterSearchOptions::FromSettings();
    // Told here rather than from the search thread, so the box belongs to the window.
    if (BuildNumeralClass(options).isEmpty()) {
        ShowMessage(kBadConditions, MsgIcon::Warning);
        return;
    }
    m_focusListWhenDone = focusList;
    m_list->setCursor(Qt::BusyCursor);
    m_searching = true;
    m_generation =
        m_worker->Start(std::u16string(text, static_cast<std::size_t>(length)), m_conditions, options);
}

void CChapterListDlg::OnSearchFinished(quint64 generation)
{
    if (generation != m_generation)
        return;
    std::optional<ChapterSearchWorker::Result> result = m_worker->TakeResult(generation);
    if (!result)
        return;
    m_searching = false;
    m_list->unsetCursor();
    if (result->status != ChapterSearchResult::Done)
        return;
    m_table = result->table;
    m_busy = true;
    m_list->setUpdatesEnabled(false);
    m_list->setRowCount(static_cast<int>(result->rows.size()));
    for (int i = 0; i < static_cast<int>(result->rows.size()); ++i) {
        m_list->setItem(i, 0, new QTableWidgetItem);
        auto* title = new QTableWidgetItem;
        title->setData(kTitleRole, result->rows[static_cast<std::size_t>(i)].title);
        m_list->setItem(i, 1, title);
    }
    TitleRows();
    LabelRows();
    m_list->setUpdatesEnabled(true);
    m_busy = false;
    const QStringList notices = ChapterSearchNotices(result->report);
    m_status->setText(notices.join(u'\n'));
    m_status->setVisible(!notices.isEmpty());
    if (m_focusListWhenDone)
        m_list->setFocus();
    m_followTimer->start();
    FollowReader();
    emit RefreshFinished();
}

void CChapterListDlg::TitleRows()
{
    ShownScript& script = ShownScript::Instance();
    m_titledScript = script.Generation();
    for (int i = 0; i < m_list->rowCount(); ++i) {
        QTableWidgetItem* item = m_list->item(i, 1);
        if (!item)
            continue;
        const QString title = item->data(kTitleRole).toString();
        const std::u16string shown = script.Short(std::u16string_view(
            reinterpret_cast<const char16_t*>(title.utf16()), static_cast<std::size_t>(title.size())));
        const QString text = QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size()));
        if (item->text() != text)
            item->setText(text);
    }
}

void CChapterListDlg::LabelRows()
{
    const CMyView* view = ActiveView();
    m_labelledLayout = view ? view->LayoutGeneration() : 0;
    for (int i = 0; i < m_list->rowCount() && i < ChapterTable::kSize; ++i) {
        QTableWidgetItem* item = m_list->item(i, 0);
        const QString label = view && m_table[i] >= 0 ? view->FormatPositionLabel(m_table[i]) : QString();
        if (item && item->text() != label)
            item->setText(label);
    }
}

void CChapterListDlg::FollowReader()
{
    const CMyView* view = ActiveView();
    if (!view || !view->GetDocument() || !view->GetDocument()->HasText())
        return;
    // Page numbers move with every new pagination (size, font, vertical writing, spread).
    if (view->LayoutGeneration() != m_labelledLayout)
        LabelRows();
    // Titles are shown in the script the pages are.
    if (ShownScript::Instance().Generation() != m_titledScript)
        TitleRows();
    const int row = m_table.RowAt(view->CurrentOffset());
    if (row < 0 || row >= m_list->rowCount())
        return;
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty() && selected.front()->row() == row)
        return;
    m_busy = true;
    m_list->selectRow(row);
    m_list->scrollToItem(m_list->item(row, 0));
    m_busy = false;
}

void CChapterListDlg::OnSelectionChanged()
{
    if (m_busy || m_list->selectedItems().isEmpty())
        return;
    GoToSelection();
}

void CChapterListDlg::GoToSelection()
{
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (m_list->rowCount() == 0 || selected.isEmpty())
        return;
    const int row = selected.front()->row();
    if (row < 0 || row >= ChapterTable::kSize || m_table[row] < 0)
        return;
    CMyView* view = ActiveView();
    if (view && view->GetDocument() && view->GetDocument()->HasText())
        view->GoToOffset(m_table[row]);
}

void CChapterListDlg::OnFontSizeChanged(int index)
{
    if (index < 0)
        return;
    m_list->setFocus();
    m_list->scrollToTop();
    QFont listFont = font();
    listFont.setPixelSize(m_baseHeight + index);
    m_list->setFont(listFont);
    m_list->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 4);
    UpdateColumnWidths();
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty())
        m_list->scrollToItem(selected.front());
    ParaSetInt(index, PARA_CHP_FONT_SIZE);
}

void CChapterListDlg::UpdateColumnWidths()
{
    const CMyView* view = ActiveView();
    const bool percent = view && view->FormatPositionLabel(1).contains(u'%');
    const QFontMetrics metrics(m_list->font());
    const int position =
        metrics.horizontalAdvance(percent ? QStringLiteral("99.99%") : QStringLiteral("99999")) +
        metrics.averageCharWidth();
    if (position > 0)
        m_list->setColumnWidth(0, position);
    const int scrollBar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    m_list->setColumnWidth(1, std::max(10, m_list->width() - (scrollBar + m_list->columnWidth(0) + 10)));
}

void CChapterListDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateColumnWidths();
}

void CChapterListDlg::keyPressEvent(QKeyEvent* event)
{
    // Esc does not close the pane: it hides the whole window to the notification area.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_viewHost)
            m_viewHost->PostCommand(Cmd::HideToTray);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CChapterListDlg::OpenSettings()
{
    CChapterSettingsDlg dialog(m_conditions, this);
    if (dialog.exec() != QDialog::Accepted) {
        m_list->setFocus();
        return;
    }
    m_conditions = dialog.WorkingCopy();
    // The new conditions stay in force even when they cannot be stored.
    if (!SaveConditionFile(ConditionFilePath(), m_conditions))
        ShowMessage(kSaveFailed, MsgIcon::Warning);
    m_list->setFocus();
    QMetaObject::invokeMethod(
        this, [this] { RunRefresh(true); }, Qt::QueuedConnection);
}
