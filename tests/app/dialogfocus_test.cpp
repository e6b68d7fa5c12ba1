// Every dialog opens with the keyboard in its first control, so a reader can type or press Down
// and Enter without reaching for the mouse.
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "chapters/chapterconditiondlg.h"
#include "chapters/chapterconditionlist.h"
#include "chapters/chaptersettingsdlg.h"
#include "history/historydialog.h"
#include "history/historystore.h"
#include "library/bookmarkfile.h"
#include "reformat/complexreformatdlg.h"
#include "reformat/reformatoptions.h"
#include "support/readerfixture.h"
#include "ui/commandids.h"
#include "ui/folderpickerdlg.h"
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// The focused widget's class, a button's text, and whether an edit's text is all selected (so
// typing replaces it).
QString Describe(QWidget* w)
{
    if (!w)
        return QStringLiteral("none");
    QString d = QString::fromLatin1(w->metaObject()->className());
    if (const auto* button = qobject_cast<QAbstractButton*>(w))
        d += u':' + QString(button->text()).remove(u'&');
    else if (const auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->selectedText() != edit->text())
        d += QStringLiteral(":not-selected");
    return d;
}

// What has the keyboard in the first modal dialog `trigger` opens; that dialog is then closed.
QString FocusInNextModal(const std::function<void()>& trigger)
{
    QString seen = QStringLiteral("no dialog");
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // The keyboard arrives when the window is activated, an event or two after it is shown.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool ready = dialog && dialog->isActiveWindow() && dialog->focusWidget();
        if (!ready && ++tries < 300)
            return;
        poll.stop();
        if (!dialog)
            return;
        seen = Describe(dialog->focusWidget());
        dialog->reject();
    });
    poll.start(10);
    trigger();
    poll.stop();
    return seen;
}

QString FocusOfShown(QDialog& dialog)
{
    dialog.show();
    if (!QTest::qWaitForWindowActive(&dialog))
        return QStringLiteral("not shown");
    QApplication::processEvents();
    return Describe(dialog.focusWidget());
}

} // namespace

TEST_F(ReaderTest, EveryDialogStartsWithTheKeyboardInItsFirstControl)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("第%1章 春眠不觉晓，处处闻啼鸟。\n").arg(i + 1);
    const QString book = WriteBook(QStringLiteral("book.txt"), text);
    ASSERT_TRUE(Start({book}));
    ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("mark"), book, 10));

    struct Row
    {
        const char* dialog;
        std::function<QString()> focus;
        QString expected;
    };
    const auto command = [this](int id) { return [this, id] { return FocusInNextModal([&] { Frame()->RouteCommand(id); }); }; };
    const std::vector<Row> reading{
        {"go to page", command(Cmd::GoToPage), QStringLiteral("CMyEdit")},
        {"add bookmark", command(Cmd::AddBookmark), QStringLiteral("QLineEdit")},
        {"organise bookmarks", command(Cmd::OrganizeBookmarks), QStringLiteral("QListWidget")},
        {"library manager", command(Cmd::LibraryManager), QStringLiteral("QTableWidget")},
        {"display settings", command(Cmd::DisplaySettings), QStringLiteral("QComboBox")},
        {"reading history", command(Cmd::History), QStringLiteral("QTreeView")},
        {"chapter settings",
         [] {
             ChapterConditionList conditions;
             conditions.FillDefaults();
             CChapterSettingsDlg dialog(conditions);
             return FocusOfShown(dialog);
         },
         QStringLiteral("QTableWidget")},
        {"chapter condition",
         [] {
             CChapterConditionDlg dialog(true, QStringLiteral("第×章"), {});
             return FocusOfShown(dialog);
         },
         QStringLiteral("QLineEdit")},
        {"folder picker",
         [this] {
             CFolderPickerDlg dialog(QStringLiteral("书架"), QStringLiteral("请选择文件夹"), m_dir.path());
             return FocusOfShown(dialog);
         },
         QStringLiteral("QLineEdit")},
        {"complex reformat",
         [] {
             CComplexReformatDlg dialog(ComplexOptions{});
             return FocusOfShown(dialog);
         },
         QStringLiteral("QCheckBox:以")},
    };
    for (const Row& row : reading)
        EXPECT_EQ(row.focus().toStdString(), row.expected.toStdString()) << row.dialog;

    Frame()->RouteCommand(Cmd::EditMode);
    Settle();
    const std::vector<Row> editing{
        {"go to percent", command(Cmd::GoToPage), QStringLiteral("CMyEdit")},
        {"simple reformat", command(Cmd::Reformat), QStringLiteral("QCheckBox:删除空白行")},
    };
    for (const Row& row : editing)
        EXPECT_EQ(row.focus().toStdString(), row.expected.toStdString()) << row.dialog;

    // Find and replace stay open beside the text.
    for (const int id : {int(Cmd::EditFind), int(Cmd::EditReplace)}) {
        Frame()->RouteCommand(id);
        ASSERT_TRUE(QTest::qWaitFor([] {
            auto* shown = qobject_cast<QDialog*>(QApplication::activeWindow());
            return shown && shown->focusWidget();
        })) << id;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeWindow());
        ASSERT_NE(dialog, nullptr) << id;
        EXPECT_EQ(Describe(dialog->focusWidget()).toStdString(), "QLineEdit") << id;
        dialog->close();
        Settle();
    }
}
