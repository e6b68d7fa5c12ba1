// Hyperlink label: colours through hover and visits, opening, and the failure messages.
#include "ui/hyperlink.h"

#include "settings/messagesink.h"
#include "ui/colourpalette.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class HyperLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 120);
        m_link = new CHyperLink(QStringLiteral("Leafturner home"), m_window.get());
        m_link->move(20, 20);
        m_link->SetOpener([this](const QUrl& url) {
            m_opened.push_back(url);
            return m_openSucceeds;
        });
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    std::unique_ptr<QWidget> m_window;
    CHyperLink* m_link = nullptr;
    std::vector<QUrl> m_opened;
    bool m_openSucceeds = true;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
};

TEST_F(HyperLinkTest, HoverAndVisitChangeTheColour)
{
    m_link->AssignLinkTarget(QStringLiteral("https://example.org/leafturner"));
    EXPECT_EQ(m_link->toolTip(), QStringLiteral("https://example.org/leafturner"));
    EXPECT_TRUE(m_link->font().underline());
    EXPECT_EQ(m_link->TextColour(), RGBRef(0, 0, 238));
    EXPECT_EQ(m_link->palette().color(QPalette::WindowText), QColor(0, 0, 238));

    QTest::mouseMove(m_link, m_link->rect().center());
    EXPECT_TRUE(m_link->IsOver());
    const QColor highlight = m_link->palette().color(QPalette::Highlight);
    EXPECT_EQ(m_link->palette().color(QPalette::WindowText), highlight);

    QTest::mouseMove(m_window.get(), QPoint(290, 110));
    EXPECT_FALSE(m_link->IsOver());
    EXPECT_EQ(m_link->palette().color(QPalette::WindowText), QColor(0, 0, 238));

    QTest::mouseClick(m_link, Qt::LeftButton, {}, m_link->rect().center());
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl(QStringLiteral("https://example.org/leafturner")));
    EXPECT_TRUE(m_link->IsVisited());
    QTest::mouseMove(m_window.get(), QPoint(290, 110));
    EXPECT_EQ(m_link->palette().color(QPalette::WindowText), QColor(85, 26, 139));
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(HyperLinkTest, FailuresTellTheUserWhyAndLeaveTheLinkUnvisited)
{
    const QString prefix = QStringLiteral("Unable to open hyperlink:\n\n");
    m_openSucceeds = false;
    m_link->AssignLinkTarget(QStringLiteral("https://example.org/"));
    EXPECT_FALSE(m_link->OpenTarget());
    EXPECT_FALSE(m_link->IsVisited());
    EXPECT_EQ(m_sink.Last(),
              prefix +
                  QStringLiteral("There is no application associated\nwith the given filename extension."));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    m_opened.clear();
    m_link->AssignLinkTarget(dir.filePath(QStringLiteral("missing.htm")));
    EXPECT_FALSE(m_link->OpenTarget());
    EXPECT_EQ(m_sink.Last(), prefix + QStringLiteral("The specified file was not found."));
    m_link->AssignLinkTarget(dir.filePath(QStringLiteral("no/such/folder/page.htm")));
    EXPECT_FALSE(m_link->OpenTarget());
    EXPECT_EQ(m_sink.Last(), prefix + QStringLiteral("The specified path was not found."));
    EXPECT_TRUE(m_opened.empty()); // a missing file never reaches the desktop

    QFile page(dir.filePath(QStringLiteral("page.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    m_openSucceeds = true;
    m_link->AssignLinkTarget(page.fileName());
    EXPECT_TRUE(m_link->OpenTarget());
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(page.fileName()));
    EXPECT_TRUE(m_link->IsVisited());

    EXPECT_EQ(CHyperLink::OpenErrorText(26), QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(CHyperLink::OpenErrorText(99), QStringLiteral("Unknown Error (99) occurred."));
}

} // namespace
