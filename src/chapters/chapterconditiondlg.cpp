// CChapterConditionDlg: one condition's text with the duplicate check.
#include "chapters/chapterconditiondlg.h"

#include "settings/messagesink.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CChapterConditionDlg::CChapterConditionDlg(bool addMode, const QString& text, QStringList rows,
                                           QWidget* parent)
    : QDialog(parent), m_text(text), m_addMode(addMode), m_rows(std::move(rows))
{
    setObjectName(QStringLiteral("ChapterConditionDlg"));
    setWindowTitle(QStringLiteral("查询条件"));

    auto* label = new QLabel(QStringLiteral("查询条件:"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("ConditionText"));
    m_edit->setMaxLength(kMaxTextUnits);
    m_edit->setText(text);
    m_edit->setMinimumWidth(260);
    label->setBuddy(m_edit);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_edit, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 1, 0, 1, 2);

    connect(ok, &QPushButton::clicked, this, &CChapterConditionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Typing replaces the condition being edited.
    m_edit->selectAll();
    m_edit->setFocus();
}

void CChapterConditionDlg::accept()
{
    QString text = m_edit->text();
    // The condition file holds one condition per line: a pasted line break would split it in two.
    text.remove(u'\r');
    text.remove(u'\n');
    text = text.trimmed();
    // A leading "*" is the enabled mark in the condition file: the text would come back ticked,
    // or as the mark twice.
    if (text.startsWith(u'*')) {
        ShowMessage(QStringLiteral("抱歉，查询条件不能以“*”开头。"), MsgIcon::Warning);
        return;
    }
    if (m_rows.contains(text)) {
        if (m_addMode) {
            ShowMessage(QStringLiteral("抱歉，此条件已经包含在列表中。"), MsgIcon::Warning);
            return;
        }
        reject();
        return;
    }
    m_text = text;
    QDialog::accept();
}
