// CSimpleReformatDlg: layout and the three ways out.
#include "reformat/simplereformatdlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QCheckBox* MakeBox(const QString& text, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(true);
    return box;
}

QPushButton* MakeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CSimpleReformatDlg::CSimpleReformatDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SimpleReformatDlg"));
    setWindowTitle(QStringLiteral("简单排版"));

    m_deleteBlankLines = MakeBox(QStringLiteral("删除空白行"), "DeleteBlankLinesCheck", this);
    m_trim = MakeBox(QStringLiteral("删除行首、行尾空白"), "TrimCheck", this);
    m_indent = MakeBox(QStringLiteral("行首空两格"), "IndentCheck", this);
    m_ok = MakeButton(QStringLiteral("确定"), "OkButton", this);
    m_ok->setDefault(true);
    m_cancel = MakeButton(QStringLiteral("放弃"), "CancelButton", this);
    m_complex = MakeButton(QStringLiteral("复杂排版>>"), "ComplexButton", this);
    m_reload = MakeButton(QStringLiteral("后悔了，请重新调入这个文件"), "ReloadButton", this);

    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_deleteBlankLines);
    boxes->addWidget(m_trim);
    boxes->addWidget(m_indent);
    boxes->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_complex);
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addLayout(boxes, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addWidget(m_reload, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    connect(m_ok, &QPushButton::clicked, this, [this] { Finish(SimpleChoice); });
    connect(m_complex, &QPushButton::clicked, this, [this] { Finish(ComplexChoice); });
    connect(m_reload, &QPushButton::clicked, this, [this] { Finish(ReloadChoice); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CSimpleReformatDlg::Finish(int choice)
{
    m_choice = choice;
    accept();
}

SimpleOptions CSimpleReformatDlg::Options() const
{
    SimpleOptions options;
    options.deleteBlankLines = m_deleteBlankLines->isChecked();
    options.trimBlanks = m_trim->isChecked();
    options.indent = m_indent->isChecked();
    return options;
}
