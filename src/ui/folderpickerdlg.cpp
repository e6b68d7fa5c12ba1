// The folder picker dialog and the checks it runs when OK is pressed.
#include "ui/folderpickerdlg.h"

#include "settings/messagesink.h"
#include "ui/folderpath.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <atomic>

namespace {

std::atomic<bool> g_creationAllowed{true};

QString FolderMessage(const QString& path, const QString& tail)
{
    return QStringLiteral("您所指定的文件夹\n\n") + path + QStringLiteral("\n\n") + tail;
}

void ReportFolderError(const QString& path, FolderPathResult result)
{
    if (result == FolderPathResult::CannotCreate)
        ShowMessage(
            FolderMessage(path,
                          QStringLiteral("无法创建。请检查驱动器是否为光驱，或您是否具有足够的访问权限。")),
            MsgIcon::Warning);
    else
        ShowMessage(FolderMessage(path, QStringLiteral("无效。请重新指定。")), MsgIcon::Warning);
}

} // namespace

CFolderPickerDlg::CFolderPickerDlg(const QString& caption, const QString& prompt,
                                   const QString& initialFolder, QWidget* owner)
    : QDialog(owner)
{
    setWindowTitle(caption);

    auto* layout = new QVBoxLayout(this);
    if (!prompt.isEmpty()) {
        auto* label = new QLabel(prompt, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QStringLiteral("/"));

    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_tree, 1);

    auto* row = new QHBoxLayout;
    auto* editLabel = new QLabel(QStringLiteral("文件夹:"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("folderPathEdit"));
    editLabel->setBuddy(m_edit);
    row->addWidget(editLabel);
    row->addWidget(m_edit, 1);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("放弃"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderPickerDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderPickerDlg::reject);
    layout->addWidget(buttons);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CFolderPickerDlg::OnCurrentFolderChanged);

    if (!initialFolder.isEmpty()) {
        const QModelIndex start = m_model->index(initialFolder);
        if (start.isValid()) {
            m_tree->setCurrentIndex(start);
            m_tree->scrollTo(start);
        }
        m_edit->setText(initialFolder);
    }
    m_edit->setFocus();
    resize(420, 480);
}

void CFolderPickerDlg::AllowFolderCreation(bool allow)
{
    g_creationAllowed.store(allow);
}

bool CFolderPickerDlg::IsFolderCreationAllowed()
{
    return g_creationAllowed.load();
}

void CFolderPickerDlg::OnCurrentFolderChanged()
{
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid())
        m_edit->setText(m_model->filePath(current));
}

bool CFolderPickerDlg::ConfirmTypedFolder(const QString& path)
{
    const QFileInfo info(path);
    const bool isFolder = info.isDir();
    // A folder that exists is valid whatever its name.
    if (isFolder && path.startsWith(u'/') && !path.contains(QChar(0)))
        return true;
    if (!IsFolderCreationAllowed() && !isFolder) {
        ReportFolderError(path, FolderPathResult::Invalid);
        return false;
    }
    if (const FolderPathResult check = ValidateFolderPath(path, true); check != FolderPathResult::Valid) {
        ReportFolderError(path, check);
        return false;
    }
    if (isFolder)
        return true;
    if (info.exists()) {
        // A file of that name is in the way; it can never become the folder.
        ReportFolderError(path, FolderPathResult::Invalid);
        return false;
    }
    if (AskQuestion(FolderMessage(path, QStringLiteral("不存在。您想创建它吗？")), MsgButtons::YesNo,
                    MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    if (const FolderPathResult made = ValidateFolderPath(path, false); made != FolderPathResult::Valid) {
        ReportFolderError(path, made);
        return false;
    }
    return true;
}

void CFolderPickerDlg::accept()
{
    const QString typed = m_edit->text();
    if (typed.isEmpty()) {
        const QModelIndex current = m_tree->currentIndex();
        if (current.isValid()) {
            m_chosen = m_model->filePath(current);
            QDialog::accept();
            return;
        }
    }
    if (ConfirmTypedFolder(typed)) {
        m_chosen = typed;
        QDialog::accept();
        return;
    }
    m_edit->setFocus();
    m_edit->selectAll();
}
