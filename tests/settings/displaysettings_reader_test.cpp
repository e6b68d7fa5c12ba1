// Display settings from the reading view: Ctrl+T, Cancel leaving the view as it was, OK laying it out.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "settings/displaysettingsdialog.h"
#include "settings/profile.h"
#include "settings/readingposition.h"
#include "settings/settingspreview.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

class DisplaySettingsReaderTest : public ReaderTest
{
protected:
    void OpenBook()
    {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("第%1行，一段用来翻页的文字，足够长以便分成许多页。\n").arg(i);
        // Narrow enough for any test screen, or OK would refuse to close.
        Setting(QStringLiteral("PARA_SINGLE_WIDTH"), QStringLiteral("600"));
        ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), text)}));
        ASSERT_NE(ReadingView(), nullptr);
        ASSERT_GT(ReadingView()->PageCount(), 4);
    }

    QByteArray SettingsBytes() const
    {
        QFile f(SettingsFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Ctrl+T, with `drive` acting on the dialog once it runs.
    void RunDialog(const std::function<void(DisplaySettingsDialog&)>& drive)
    {
        QAction* action = Frame()->Action(Cmd::DisplaySettings);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<DisplaySettingsDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            drive(*dialog);
            // A dialog the driver left open would block the test for good.
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->reject();
            }
        });
        Frame()->UpdateCommandUI();
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        Settle();
        EXPECT_TRUE(ran) << "the dialog did not open";
    }

    static void Press(DisplaySettingsDialog& dialog, const char* name, Qt::Key key, int times)
    {
        auto* w = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr);
        for (int i = 0; i < times; ++i)
            QTest::keyClick(w, key);
    }

    static void Click(DisplaySettingsDialog& dialog, const char* name)
    {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

TEST_F(DisplaySettingsReaderTest, SizeChangeThenCancelLeavesTheViewAndTheFileAsBefore)
{
    OpenBook();
    CLeafturnerView* view = ReadingView();
    view->ShowPage(4);
    Settle();
    const int pages = view->PageCount();
    const int page = view->CurrentPage();
    const QSize pageSize = view->PageSize();
    const QImage picture = view->ComposePage(page);
    FlushReadingPosition(); // the page turn's place is stored before the file is compared
    const QByteArray bytes = SettingsBytes();

    int pagesWhileOpen = 0;
    RunDialog([&](DisplaySettingsDialog& dialog) {
        Press(dialog, "FontSizeList", Qt::Key_Down, 8);
        pagesWhileOpen = dialog.Preview()->PageCount();
        Click(dialog, "CancelButton");
    });
    EXPECT_GT(pagesWhileOpen, 0);
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 26);
    EXPECT_EQ(view->PageCount(), pages);
    EXPECT_EQ(view->CurrentPage(), page);
    EXPECT_EQ(view->PageSize(), pageSize);
    EXPECT_EQ(view->ComposePage(page), picture);
    EXPECT_EQ(SettingsBytes(), bytes);
}

TEST_F(DisplaySettingsReaderTest, OkWithALargerFontLaysTheViewOutAgain)
{
    OpenBook();
    CLeafturnerView* view = ReadingView();
    view->ShowPage(3);
    Settle();
    const int pages = view->PageCount();
    const std::int32_t offset = view->CurrentCharOffset();

    RunDialog([&](DisplaySettingsDialog& dialog) {
        Press(dialog, "FontSizeList", Qt::Key_Down, 10);
        Click(dialog, "OkButton");
    });
    EXPECT_EQ(IniValue(QStringLiteral("PARA_FONT_SIZE")), QStringLiteral("36"));
    EXPECT_GT(view->PageCount(), pages);
    // The place being read is kept; with more pages it sits further on.
    EXPECT_EQ(view->CurrentCharOffset(), offset);
    const TextBuffer* buffer = view->GetDocument()->Buffer();
    const int shown = view->CurrentPage();
    const int next = shown + (view->IsSpread() ? 2 : 1);
    EXPECT_LE(buffer->PageStart(shown), offset);
    if (next < view->PageCount()) {
        EXPECT_LT(offset, buffer->PageStart(next));
    }
}

} // namespace
