// OrganizeBookmarksDialog: filling the list, loading, deleting and following the dialog's size.
#include "library/organizebookmarksdialog.h"

#include "settings/messagesink.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

std::function<QString(const QString&)> g_movedBookFinder; // the reading history, when the reader runs

constexpr int kMargin = 10;
constexpr int kGap = 6;
constexpr int kListWidth = 320;
constexpr int kListHeight = 240;

void Shift(QWidget* w, int dx, int dy)
{
    w->move(w->pos() + QPoint(dx, dy));
}

void Stretch(QWidget* w, int dx, int dy)
{
    w->resize(w->width() + dx, w->height() + dy);
}

} // namespace

OrganizeBookmarksDialog::OrganizeBookmarksDialog(QWidget* parent, const QString& bookmarkFile,
                                                 const QString& openBook)
    : CGrowableDialog(parent),
      m_file(bookmarkFile.isEmpty() ? BookmarkFile::Default() : BookmarkFile(bookmarkFile))
{
    setObjectName(QStringLiteral("OrganizeBookmarksDialog"));
    setWindowTitle(QStringLiteral("整理书签"));
    setWindowIcon(QApplication::windowIcon());

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("BookmarkList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_pathLine = new QLabel(this);
    m_pathLine->setObjectName(QStringLiteral("BookmarkPath"));
    m_pathLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_load = new QPushButton(QStringLiteral("调入"), this);
    m_load->setObjectName(QStringLiteral("LoadButton"));
    m_load->setDefault(true);
    m_delete = new QPushButton(QStringLiteral("删除"), this);
    m_delete->setObjectName(QStringLiteral("DeleteButton"));
    m_close = new QPushButton(QStringLiteral("离开"), this);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    m_hint = new QLabel(QStringLiteral("提示：鼠标双击即可调入"), this);
    m_hint->setObjectName(QStringLiteral("Hint"));
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Placed by hand: OnGrow moves them as the dialog grows.
    const int buttonHeight = m_load->sizeHint().height();
    int buttonWidth = 90;
    for (QPushButton* b : {m_load, m_delete, m_close})
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    const int lineHeight = fontMetrics().height() + 4;
    m_list->setGeometry(kMargin, kMargin, kListWidth, kListHeight);
    m_pathLine->setGeometry(kMargin, kMargin + kListHeight + kGap, kListWidth, lineHeight);
    const int x = kMargin + kListWidth + kMargin;
    int y = kMargin;
    for (QPushButton* b : {m_load, m_delete, m_close}) {
        b->setGeometry(x, y, buttonWidth, buttonHeight);
        y += buttonHeight + kGap;
    }
    y += kGap;
    const int hintHeight = std::max(m_hint->heightForWidth(buttonWidth), lineHeight);
    m_hint->setGeometry(x, y, buttonWidth, hintHeight);
    resize(x + buttonWidth + kMargin,
           std::max(m_pathLine->geometry().bottom(), m_hint->geometry().bottom()) + 1 + kMargin);

    connect(m_list, &QListWidget::itemSelectionChanged, this, &OrganizeBookmarksDialog::ShowSelectedPath);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &OrganizeBookmarksDialog::OnLoad);
    connect(m_load, &QPushButton::clicked, this, &OrganizeBookmarksDialog::OnLoad);
    connect(m_delete, &QPushButton::clicked, this, &OrganizeBookmarksDialog::OnDelete);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    FillList();
    SelectInitial(openBook);
    m_list->setFocus();
}

void OrganizeBookmarksDialog::SelectInitial(const QString& openBook)
{
    if (m_list->count() == 0)
        return;
    int row = 0;
    const QString book = QFileInfo(openBook).canonicalFilePath();
    for (int i = 0; !book.isEmpty() && i < m_list->count(); ++i) {
        const QString path = BookmarkFile::Read(m_snapshot, m_list->item(i)->text()).path;
        if (QFileInfo(path).canonicalFilePath() == book) {
            row = i;
            break;
        }
    }
    m_list->setCurrentRow(row);
}

void OrganizeBookmarksDialog::FillList()
{
    m_snapshot = m_file.Load();
    m_list->clear();
    m_list->addItems(BookmarkFile::SortedForDisplay(BookmarkFile::Names(m_snapshot)));
    m_pathLine->clear();
}

QListWidgetItem* OrganizeBookmarksDialog::SelectedItem() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void OrganizeBookmarksDialog::ShowSelectedPath()
{
    QListWidgetItem* item = SelectedItem();
    const QString path = item ? BookmarkFile::Read(m_snapshot, item->text()).path : QString();
    m_pathLine->setText(path);
    m_pathLine->setToolTip(path);
}

void OrganizeBookmarksDialog::RemoveBookmark(const QString& name)
{
    if (!m_file.Remove(name))
        ShowMessage(QStringLiteral("抱歉，书签未能写入书签文件：\n") + m_file.Path(), MsgIcon::Warning);
    FillList();
}

void OrganizeBookmarksDialog::OnLoad()
{
    if (m_list->count() == 0) {
        ShowMessage(QStringLiteral("抱歉，没什么好调入的。"));
        return;
    }
    QListWidgetItem* item = SelectedItem();
    if (!item) {
        ShowMessage(QStringLiteral("请先选择需调入的项。"));
        return;
    }
    const QString name = item->text();
    // The file as it is now, not as listed: another window may have changed it since.
    const BookmarkEntry mark = m_file.Read(name);
    if (!mark.path.isEmpty() &&
        (QFileInfo(mark.path).isFile() || (g_movedBookFinder && !g_movedBookFinder(mark.path).isEmpty()))) {
        m_chosen = name;
        accept();
        return;
    }
    if (AskQuestion(
            QStringLiteral("该书签所对应的文件或文件夹已经不存在，无法打开。\n您想删除此无效书签吗？"),
            MsgButtons::YesNo) == MsgAnswer::Yes)
        RemoveBookmark(name);
}

void OrganizeBookmarksDialog::OnDelete()
{
    if (m_list->count() == 0) {
        ShowMessage(QStringLiteral("抱歉，没什么好删除的。"));
        return;
    }
    QListWidgetItem* item = SelectedItem();
    if (!item) {
        ShowMessage(QStringLiteral("请先选择需删除的书签。"));
        return;
    }
    if (AskQuestion(QStringLiteral("您真的想删除此书签吗？"), MsgButtons::YesNo) == MsgAnswer::Yes)
        RemoveBookmark(item->text());
}

void OrganizeBookmarksDialog::OnGrow(int dx, int dy)
{
    Stretch(m_list, dx, dy);
    Shift(m_pathLine, 0, dy);
    Stretch(m_pathLine, dx, 0);
    for (QWidget* w : {static_cast<QWidget*>(m_load), static_cast<QWidget*>(m_delete),
                       static_cast<QWidget*>(m_close), static_cast<QWidget*>(m_hint)})
        Shift(w, dx, 0);
}

void SetMovedBookFinder(std::function<QString(const QString&)> finder)
{
    g_movedBookFinder = std::move(finder);
}

std::optional<QString> RunOrganizeBookmarksDialog(QWidget* parent, const QString& openBook)
{
    OrganizeBookmarksDialog dialog(parent, {}, openBook);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ChosenName();
}
