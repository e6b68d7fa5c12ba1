// The About box: name, version, a short note and links to the usage page and the profile folder.
#include "app/aboutdialog.h"

#include "app/leafturnerapp.h"
#include "settings/profile.h"
#include "ui/hyperlink.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Leafturner"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<b>Leafturner</b> 0.1 —— 长篇纯文本电子书阅读器"), this);
    layout->addWidget(name);
    layout->addWidget(new QLabel(QStringLiteral("把纯文本书籍排成摊在书桌上的书：单双页、横竖排、翻页动画，\n"
                                                "章节列表、书签、书架、编辑模式、排版与乱码修复。"),
                                 this));

    auto* help = new CHyperLink(QStringLiteral("使用说明"), this);
    help->setObjectName(QStringLiteral("helpLink"));
    help->AssignLinkTarget(QUrl::fromLocalFile(CLeafturnerApp::HelpFilePath()).toString());
    layout->addWidget(help);

    auto* profile = new CHyperLink(QStringLiteral("配置文件夹：") + ProfileDir(), this);
    profile->setObjectName(QStringLiteral("profileLink"));
    profile->AssignLinkTarget(QUrl::fromLocalFile(ProfileDir()).toString());
    layout->addWidget(profile);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
