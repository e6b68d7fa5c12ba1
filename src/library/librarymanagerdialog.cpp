// LibraryManagerDialog: the bookshelf rows, their buttons, drops and saving.
#include "library/librarymanagerdialog.h"

#include "library/bookshelflist.h"
#include "settings/messagesink.h"
#include "ui/folderpickerdlg.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUrl>

namespace {

constexpr int kMargin = 10;
constexpr int kGap = 6;
constexpr int kListHeight = 300;
const QString kColumns = QStringLiteral("书架文件夹, 550");

// Black on white, and the selected row on its own colour instead of the system highlight.
class ReportRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const bool selected = opt.state & QStyle::State_Selected;
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        painter->save();
        painter->fillRect(opt.rect,
                          selected ? QColor::fromRgb(LibraryManagerDialog::kSelectedRow) : Qt::white);
        painter->setPen(Qt::black);
        painter->setFont(opt.font);
        const QRect text = opt.rect.adjusted(4, 0, -4, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                          opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, text.width()));
        painter->restore();
    }
};

// Columns given as "name, width; name, width".
void SetColumns(QTableWidget* list, const QString& layout)
{
    const QStringList columns = layout.split(u';', Qt::SkipEmptyParts);
    list->setColumnCount(int(columns.size()));
    for (int i = 0; i < columns.size(); ++i) {
        const QStringList parts = columns[i].split(u',');
        list->setHorizontalHeaderItem(i, new QTableWidgetItem(parts.value(0).trimmed()));
        list->setColumnWidth(i, parts.value(1).trimmed().toInt());
    }
}

} // namespace

LibraryManagerDialog::LibraryManagerDialog(QWidget* parent, BookshelfList* list)
    : CGrowableDialog(parent), m_shelves(list ? list : &BookshelfList::Instance())
{
    setObjectName(QStringLiteral("LibraryManagerDialog"));
    setWindowTitle(QStringLiteral("书库管理"));
    setWindowIcon(parent ? parent->window()->windowIcon() : QApplication::windowIcon());
    setAcceptDrops(true);

    m_list = new QTableWidget(this);
    m_list->setObjectName(QStringLiteral("BookshelfList"));
    SetColumns(m_list, kColumns);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->setItemDelegate(new ReportRowDelegate(m_list));

    const std::pair<const char16_t*, void (LibraryManagerDialog::*)()> actions[] = {
        {u"添加", &LibraryManagerDialog::OnAdd},
        {u"删除", &LibraryManagerDialog::OnDelete},
        {u"清空", &LibraryManagerDialog::OnClear},
        {u"设为缺省书架", &LibraryManagerDialog::OnSetDefault},
        {u"打开", &LibraryManagerDialog::OnOpen},
        {u"确定", nullptr},
        {u"放弃", nullptr},
    };
    int buttonWidth = 90;
    for (const auto& [text, handler] : actions) {
        auto* b = new QPushButton(QString::fromUtf16(text), this);
        b->setAutoDefault(false);
        if (handler)
            connect(b, &QPushButton::clicked, this, handler);
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
        m_buttons.append(b);
    }
    QPushButton* ok = m_buttons[5];
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &LibraryManagerDialog::accept);
    connect(m_buttons[6], &QPushButton::clicked, this, &QDialog::reject);

    // Placed by hand: the buttons keep their place at the left, the list takes any growth.
    const int buttonHeight = m_buttons[0]->sizeHint().height();
    int y = kMargin;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (i == 5)
            y += buttonHeight; // OK and Cancel stand apart
        m_buttons[i]->setGeometry(kMargin, y, buttonWidth, buttonHeight);
        y += buttonHeight + kGap;
    }
    const int listX = kMargin + buttonWidth + kMargin;
    const int listWidth = 550 + 2 * m_list->frameWidth() + 20;
    const int listHeight = std::max(kListHeight, y - kGap - kMargin);
    m_list->setGeometry(listX, kMargin, listWidth, listHeight);
    resize(listX + listWidth + kMargin, kMargin + listHeight + kMargin);

    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { OnOpen(); });

    for (const QString& entry : m_shelves->Entries())
        AppendRow(entry);
}

QPushButton* LibraryManagerDialog::Button(const QString& text) const
{
    for (QPushButton* b : m_buttons) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

QStringList LibraryManagerDialog::Rows() const
{
    QStringList rows;
    for (int i = 0; i < m_list->rowCount(); ++i)
        rows.append(m_list->item(i, 0)->text());
    return rows;
}

void LibraryManagerDialog::AppendRow(const QString& text)
{
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(text);
    m_list->setItem(row, 0, item);
}

int LibraryManagerDialog::SelectedRow() const
{
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : selected.constFirst()->row();
}

bool LibraryManagerDialog::AddFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    // The file keeps one trimmed folder per line: a line break in a name, or blanks at its end,
    // would not read back as the same folder.
    if (folder.contains(u'\r') || folder.contains(u'\n') || folder != folder.trimmed()) {
        ShowMessage(QStringLiteral("您所指定的文件夹\n\n") + folder +
                        QStringLiteral("\n\n无效。请重新指定。"),
                    MsgIcon::Warning);
        return false;
    }
    if (Rows().contains(folder)) {
        ShowMessage(folder + QStringLiteral("\n") + QStringLiteral("已在列表中，请重新选择。"),
                    MsgIcon::Warning);
        return false;
    }
    AppendRow(folder);
    m_list->scrollToBottom();
    return true;
}

void LibraryManagerDialog::OnAdd()
{
    const int row = SelectedRow();
    QString start = row >= 0 ? BookshelfList::WithoutMark(m_list->item(row, 0)->text()) : QString();
    if (!QFileInfo(start).isDir())
        start = QDir::homePath();
    CFolderPickerDlg::AllowFolderCreation(true);
    CFolderPickerDlg picker(QStringLiteral("选择文件夹"), QStringLiteral("请选择书架文件夹："), start, this);
    if (picker.exec() == QDialog::Accepted)
        AddFolder(picker.ChosenPath());
}

void LibraryManagerDialog::AddDropped(const QStringList& localPaths)
{
    for (const QString& path : localPaths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            continue;
        AddFolder(info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : info.absolutePath());
    }
}

void LibraryManagerDialog::OnDelete()
{
    if (m_list->rowCount() == 0)
        return;
    if (SelectedRow() < 0) {
        ShowMessage(QStringLiteral("请先选择需要删除的项。"));
        return;
    }
    if (AskQuestion(QStringLiteral("您真的想删除所选项吗？"), MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    QList<int> rows;
    for (const QTableWidgetItem* item : m_list->selectedItems())
        rows.append(item->row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    m_list->setUpdatesEnabled(false);
    for (int row : rows)
        m_list->removeRow(row);
    m_list->setUpdatesEnabled(true);
}

void LibraryManagerDialog::OnClear()
{
    if (m_list->rowCount() == 0)
        return;
    if (AskQuestion(QStringLiteral("您真的想清空列表吗？"), MsgButtons::YesNo) == MsgAnswer::Yes)
        m_list->setRowCount(0);
}

void LibraryManagerDialog::OnSetDefault()
{
    if (m_list->rowCount() == 0)
        return;
    const int selected = SelectedRow();
    if (selected < 0) {
        ShowMessage(QStringLiteral("请先选择需要设置的项。"));
        return;
    }
    // Every mark goes, not only the first: a hand-edited file with two would keep the old default.
    for (int i = 0; i < m_list->rowCount(); ++i) {
        QTableWidgetItem* item = m_list->item(i, 0);
        if (BookshelfList::IsDefaultLine(item->text()))
            item->setText(BookshelfList::WithoutMark(item->text()));
    }
    QTableWidgetItem* item = m_list->item(selected, 0);
    item->setText(BookshelfList::kMark + item->text());
    item->setToolTip(item->text());
}

void LibraryManagerDialog::OnOpen()
{
    if (m_list->rowCount() == 0)
        return;
    const int selected = SelectedRow();
    if (selected < 0) {
        ShowMessage(QStringLiteral("请先选择需要打开的项。"));
        return;
    }
    const QString folder = BookshelfList::WithoutMark(m_list->item(selected, 0)->text());
    if (!QFileInfo(folder).isDir()) {
        ShowMessage(QStringLiteral("抱歉，所选文件夹无效，或已不存在。"), MsgIcon::Warning);
        return;
    }
    if (m_openFolder)
        m_openFolder(folder);
}

void LibraryManagerDialog::accept()
{
    if (!m_shelves->Save(Rows())) {
        ShowMessage(QStringLiteral("存盘失败。"), MsgIcon::Warning);
        return;
    }
    m_shelves->Reload();
    CGrowableDialog::accept();
}

void LibraryManagerDialog::OnGrow(int dx, int dy)
{
    // The buttons stay where they are.
    m_list->resize(m_list->width() + dx, m_list->height() + dy);
}

void LibraryManagerDialog::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); }))
        event->acceptProposedAction();
}

void LibraryManagerDialog::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    // The questions and messages come after the drag has ended, not inside it.
    QMetaObject::invokeMethod(
        this, [this, paths] { AddDropped(paths); }, Qt::QueuedConnection);
}

bool RunLibraryManagerDialog(QWidget* parent, std::function<void(const QString&)> openFolder)
{
    LibraryManagerDialog dialog(parent);
    dialog.SetFolderOpener(std::move(openFolder));
    return dialog.exec() == QDialog::Accepted;
}
