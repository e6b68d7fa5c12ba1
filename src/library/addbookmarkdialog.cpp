// AddBookmarkDialog: the name field, the list of names, and the checks before a bookmark is written.
#include "library/addbookmarkdialog.h"

#include "settings/messagesink.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

AddBookmarkDialog::AddBookmarkDialog(QWidget* parent, QString bookPath, std::int32_t position,
                                     const QString& bookmarkFile)
    : QDialog(parent), m_file(bookmarkFile.isEmpty() ? BookmarkFile::Default() : BookmarkFile(bookmarkFile)),
      m_bookPath(std::move(bookPath)), m_position(position)
{
    setObjectName(QStringLiteral("AddBookmarkDialog"));
    setWindowTitle(QStringLiteral("加入书签"));

    auto* label = new QLabel(QStringLiteral("书签名:"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("BookmarkName"));
    label->setBuddy(m_edit);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("BookmarkNames"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_edit, 1, 0);
    grid->addWidget(m_list, 2, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->setRowStretch(2, 1);

    connect(m_ok, &QPushButton::clicked, this, &AddBookmarkDialog::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemClicked, this, &AddBookmarkDialog::TakeName);
    // Moving through the list with the keys takes the name too, but not the first current item
    // the list picks for itself when it gets the focus.
    connect(m_list, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current, QListWidgetItem* previous) {
                if (previous)
                    TakeName(current);
            });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        TakeName(item);
        OnOK();
    });

    FillList();
    m_edit->setText(BookmarkFile::ProposedName(m_bookPath));
    m_edit->selectAll();
    m_edit->setFocus();
    resize(360, 300);
}

void AddBookmarkDialog::FillList()
{
    m_list->clear();
    m_list->addItems(BookmarkFile::SortedForDisplay(m_file.Names()));
}

void AddBookmarkDialog::TakeName(QListWidgetItem* item)
{
    if (item)
        m_edit->setText(item->text());
}

void AddBookmarkDialog::OnOK()
{
    const QString name = BookmarkFile::CleanName(m_edit->text());
    switch (BookmarkFile::CheckName(name)) {
    case BookmarkFile::NameProblem::Empty:
        ShowMessage(QStringLiteral("抱歉，名称不能为空，请更正。"), MsgIcon::Warning);
        m_edit->setFocus();
        return;
    case BookmarkFile::NameProblem::Bracket:
        ShowMessage(QStringLiteral("抱歉，名称不能含“[”或“]”，请更正。"), MsgIcon::Warning);
        m_edit->setFocus();
        return;
    case BookmarkFile::NameProblem::None:
        break;
    }
    if (m_file.IsTaken(name) &&
        AskQuestion(QStringLiteral("同名书签已存在，您打算覆盖它吗？"), MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    if (!m_file.Write(name, m_bookPath, m_position)) {
        // Closing as if it worked would lose the bookmark without a word.
        ShowMessage(QStringLiteral("抱歉，书签未能写入书签文件：\n") + m_file.Path(), MsgIcon::Warning);
        return;
    }
    accept();
}

bool RunAddBookmarkDialog(QWidget* parent, const QString& path, std::int32_t position)
{
    AddBookmarkDialog dialog(parent, path, position);
    return dialog.exec() == QDialog::Accepted;
}
