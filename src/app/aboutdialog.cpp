// The About box: name, version, a short note and the project's links.
#include "app/aboutdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Leafturner"));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<b>Leafturner</b> 0.1"), this);
    layout->addWidget(name);
    layout->addWidget(
        new QLabel(QStringLiteral("长篇纯文本电子书阅读器。\n翻页、章节、书签、书架、编辑与排版。"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
