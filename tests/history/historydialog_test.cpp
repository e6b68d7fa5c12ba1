// The history dialog driven as a user drives it: filter, sort, open with Enter and double-click,
// delete a row and clear the books whose files are gone.
#include "historyfixture.h"

#include "history/historydialog.h"
#include "history/historymodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

namespace {

// Chinese arrives as committed input-method text, not as key codes.
void Type(QWidget* w, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

class HistoryDialogTest : public HistoryFixture
{
protected:
    void SetUp() override
    {
        HistoryFixture::SetUp();
        // Opened in this order, so the most recent (and first shown) is 丁.
        struct Book
        {
            const char* name;
            std::int32_t position;
        } books[] = {{"甲.txt", 100}, {"乙.txt", 500}, {"丙.txt", 0}, {"子/丁.txt", 900}};
        m_store = std::make_unique<HistoryStore>(DbFile());
        int seed = 0;
        for (const Book& b : books) {
            const QString path = WriteBook(QString::fromUtf8(b.name), ++seed, 1000);
            m_paths.append(path);
            Open(*m_store, path, 1000);
            m_store->NotePosition(path, b.position, 1000);
        }
        QFile::remove(m_paths[2]); // 丙 is gone
    }

    QStringList Shown(const HistoryDialog& d, int column = HistoryModel::Title) const
    {
        QStringList titles;
        for (int i = 0; i < d.Proxy()->rowCount(); ++i)
            titles.append(d.Proxy()->index(i, column).data().toString());
        return titles;
    }

    void ClickHeader(HistoryDialog& d, int section)
    {
        QHeaderView* header = d.View()->header();
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    std::unique_ptr<HistoryStore> m_store;
    QStringList m_paths;
};

TEST_F(HistoryDialogTest, SortAndFilterThenOpenWithEnter)
{
    HistoryDialog d(*m_store);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(Shown(d), (QStringList{"丁", "丙", "乙", "甲"}));
    EXPECT_EQ(Shown(d, HistoryModel::Progress), (QStringList{"90.0%", "0.0%", "50.0%", "10.0%"}));
    EXPECT_EQ(Shown(d, HistoryModel::Folder).value(0), QDir::toNativeSeparators(Path(QStringLiteral("子"))));

    // By progress, both ways: the numbers, not their text ("10.0%" would sort before "9.0%").
    ClickHeader(d, HistoryModel::Progress);
    const QStringList byProgress = Shown(d);
    ClickHeader(d, HistoryModel::Progress);
    const QStringList reversed = Shown(d);
    EXPECT_EQ(byProgress, (QStringList{"丙", "甲", "乙", "丁"}));
    EXPECT_EQ(reversed, (QStringList{"丁", "乙", "甲", "丙"}));

    // Typing filters on title and folder; Down moves in the list without leaving the box.
    d.Filter()->setFocus();
    Type(d.Filter(), QStringLiteral("子"));
    EXPECT_EQ(Shown(d), QStringList{"丁"});
    QTest::keyClicks(d.Filter(), QStringLiteral("x"));
    EXPECT_TRUE(Shown(d).isEmpty());
    EXPECT_FALSE(d.OpenButton()->isEnabled());
    d.Filter()->clear();
    Type(d.Filter(), QStringLiteral("乙乙")); // no title or folder holds it
    EXPECT_TRUE(Shown(d).isEmpty());
    d.Filter()->clear();
    d.View()->setCurrentIndex(d.Proxy()->index(0, 0));
    QTest::keyClick(d.Filter(), Qt::Key_Down);
    EXPECT_TRUE(d.Filter()->hasFocus());
    EXPECT_EQ(d.View()->currentIndex().data().toString(), QStringLiteral("乙"));
    QTest::keyClick(d.Filter(), Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.ChosenPath(), m_paths[1]);
}

TEST_F(HistoryDialogTest, OpenByDoubleClickAndEnterInTheList)
{
    {
        HistoryDialog d(*m_store);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        const QRect cell = d.View()->visualRect(d.Proxy()->index(3, 0));
        // A double-click reaches the view as press, release, then the double-click press.
        QTest::mouseClick(d.View()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(d.View()->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.ChosenPath(), m_paths[0]);
    }
    HistoryDialog d(*m_store);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.View()->setFocus();
    QTest::keyClick(d.View(), Qt::Key_End);
    QTest::keyClick(d.View(), Qt::Key_Up);
    QTest::keyClick(d.View(), Qt::Key_Enter);
    EXPECT_EQ(d.ChosenPath(), m_paths[1]);
}

TEST_F(HistoryDialogTest, DeleteARowAndClearMissingFiles)
{
    HistoryDialog d(*m_store);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.View()->setFocus();
    QTest::keyClick(d.View(), Qt::Key_Home);
    QTest::keyClick(d.View(), Qt::Key_Delete); // 丁
    EXPECT_EQ(Shown(d), (QStringList{"丙", "乙", "甲"}));
    EXPECT_FALSE(m_store->Find(m_paths[3]));
    // The next row is current, so the button removes 丙 next.
    EXPECT_EQ(d.View()->currentIndex().data().toString(), QStringLiteral("丙"));
    QTest::keyClick(d.View(), Qt::Key_Down);
    QTest::mouseClick(d.RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(Shown(d), (QStringList{"丙", "甲"}));
    EXPECT_FALSE(m_store->Find(m_paths[1]));

    QTest::mouseClick(d.RemoveMissingButton(), Qt::LeftButton);
    EXPECT_EQ(Shown(d), QStringList{"甲"});
    EXPECT_EQ(m_store->All().size(), 1u);
    EXPECT_EQ(m_store->All().front().path, m_paths[0]);

    // A fresh dialog shows what the file now holds.
    HistoryDialog again(*m_store);
    EXPECT_EQ(Shown(again), QStringList{"甲"});
}

} // namespace
