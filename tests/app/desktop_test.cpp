// The reader on the desktop: Qt's texts in Chinese, one reader per session, full screen,
// automatic page turning and the tray icon's menu.
#include "support/readerfixture.h"

#include "app/autoturn.h"
#include "app/fullscreen.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "app/qttranslations.h"
#include "app/singleinstance.h"
#include "app/singleinstancereader.h"
#include "app/traymenu.h"
#include "document/leafturnerdoc.h"
#include "settings/inifile.h"
#include "settings/profile.h"
#include "views/leafturnerview.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolBar>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString LongText(int paragraphs)
{
    QString text;
    for (int i = 0; i < paragraphs; ++i)
        text += QStringLiteral("第%1段。春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。\n").arg(i);
    return text;
}

struct CloseCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Close;
        return false;
    }
};

TEST(QtTranslationsTest, StandardButtonsReadChineseWhateverTheLocale)
{
    const struct
    {
        const char* locale;
        const char* ok;
        const char* cancel;
    } cases[] = {{"en_US", "确定", "取消"},
                 {"de_DE", "确定", "取消"},
                 {"zh_CN", "确定", "取消"},
                 {"zh_TW", "確定", "取消"}};
    for (const auto& c : cases) {
        const QtTranslations texts{QLocale(QString::fromLatin1(c.locale))};
        ASSERT_FALSE(texts.Installed().isEmpty()) << c.locale << ": is qt6-translations-l10n installed?";
        QMessageBox box(QMessageBox::Question, QStringLiteral("Leafturner"), QStringLiteral("保存修改吗？"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8(c.ok)) << c.locale;
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8(c.cancel)) << c.locale;
        // With the keyboard mnemonic Chinese buttons carry: shown as "是(Y)".
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)")) << c.locale;
        EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)")) << c.locale;
    }
    // Gone with its owner: Qt's own English again.
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
}

class DesktopTest : public ReaderTest
{
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        ASSERT_TRUE(m_runtime.isValid());
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void TearDown() override
    {
        ReaderTest::TearDown();
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }
    QString Profile() const { return m_dir.filePath(QStringLiteral("profile")); }

    // Runs the real reader as a later start would, keeping this process's event loop going so the
    // running reader here can answer. The exit status, or -1 when it did not end in time.
    int LaterStart(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(LT_READER_PATH), QStringList{QStringLiteral("--profile"), Profile()} + args);
        if (!p.waitForStarted(10000))
            return -1;
        const bool ended = QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 30000);
        if (!ended) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
};

TEST_F(DesktopTest, LaterStartHandsItsBookToTheRunningReader)
{
    const QString first = WriteBook(QStringLiteral("first.txt"), LongText(50));
    const QString second = WriteBook(QStringLiteral("second.txt"), QStringLiteral("第二本书"));
    ASSERT_TRUE(Start({first}));
    ReaderInstance instance(Profile());
    ASSERT_EQ(instance.HandOverOrListen(first), ReaderInstance::Start::Listening);
    ConnectReaderInstance(instance, *m_app);
    Frame()->hide(); // as if in the tray

    EXPECT_EQ(LaterStart({second}), 0);
    ASSERT_TRUE(QTest::qWaitFor([this, &second] { return Frame()->Document()->PathName() == second; }, 5000));
    EXPECT_TRUE(Frame()->isVisible());

    // --new-window keeps to itself: the running reader is not asked and the later one stays.
    QProcess alone;
    alone.start(QStringLiteral(LT_READER_PATH),
                {QStringLiteral("--profile"), Profile(), QStringLiteral("--new-window"), first});
    ASSERT_TRUE(alone.waitForStarted(10000));
    QTest::qWait(3000);
    EXPECT_EQ(alone.state(), QProcess::Running);
    EXPECT_EQ(Frame()->Document()->PathName(), second);
    alone.kill();
    alone.waitForFinished();
}

TEST_F(DesktopTest, SocketOfACrashedReaderIsTakenOver)
{
    const QString name = ReaderInstance::ServerName(Profile());
    // What a reader killed while listening leaves: a socket file nobody accepts on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(name));

    QElapsedTimer clock;
    clock.start();
    ReaderInstance instance(Profile());
    ASSERT_EQ(instance.HandOverOrListen(QString()), ReaderInstance::Start::Listening);
    EXPECT_LT(clock.elapsed(), 2000);

    QSignalSpy opened(&instance, &ReaderInstance::OpenRequested);
    instance.SetReady();
    const QString book = WriteBook(QStringLiteral("book.txt"), QStringLiteral("一本书"));
    EXPECT_EQ(LaterStart({book}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&opened] { return opened.count() == 1; }, 5000));
    EXPECT_EQ(opened.at(0).at(0).toString(), book);
}

TEST_F(DesktopTest, FullScreenAndBackRestoresTheLayout)
{
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), LongText(100))}));
    CMainFrame* frame = Frame();
    auto* command = frame->findChild<CFullScreenCommand*>();
    ASSERT_NE(command, nullptr);
    frame->statusBar()->hide(); // a bar the reader had hidden stays hidden afterwards
    Settle();
    const QRect geometry = frame->geometry();
    const QList<QToolBar*> toolBars = frame->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(toolBars.isEmpty());
    QList<bool> toolBarShown;
    for (QToolBar* bar : toolBars)
        toolBarShown.append(!bar->isHidden());

    QTest::keyClick(frame, Qt::Key_F11);
    Settle();
    EXPECT_TRUE(command->IsActive());
    EXPECT_TRUE(frame->windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(frame->menuBar()->isHidden());
    EXPECT_TRUE(frame->statusBar()->isHidden());
    for (QToolBar* bar : toolBars)
        EXPECT_TRUE(bar->isHidden());
    for (QDockWidget* pane : frame->findChildren<QDockWidget*>())
        EXPECT_TRUE(pane->isHidden());
    EXPECT_TRUE(frame->ContextMenu(160)->actions().contains(command->Action()));
    EXPECT_TRUE(command->Action()->isChecked());

    // Leaving through the context menu's entry.
    command->Action()->trigger();
    Settle();
    EXPECT_FALSE(command->IsActive());
    EXPECT_FALSE(frame->windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(frame->geometry(), geometry);
    EXPECT_FALSE(frame->menuBar()->isHidden());
    EXPECT_TRUE(frame->statusBar()->isHidden());
    for (qsizetype i = 0; i < toolBars.size(); ++i)
        EXPECT_EQ(!toolBars[i]->isHidden(), toolBarShown[i]) << i;

    // Closing in full screen saves the placement a close out of it saves, not the screen's.
    const auto placement = [] {
        return IniFile(SettingsFilePath())
            .ReadBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"));
    };
    Stop();
    const QByteArray normal = placement();
    ASSERT_FALSE(normal.isEmpty());
    ASSERT_TRUE(Start());
    QTest::keyClick(Frame(), Qt::Key_F11);
    Settle();
    ASSERT_TRUE(Frame()->findChild<CFullScreenCommand*>()->IsActive());
    Stop();
    EXPECT_EQ(placement(), normal);
}

TEST_F(DesktopTest, AutoTurnPausesOnAKeyAndStopsAtTheEnd)
{
    Setting(QStringLiteral("PARA_AUTO_TURN_SECONDS"), QStringLiteral("1"));
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), LongText(200))}));
    auto* command = Frame()->findChild<CAutoTurnCommand*>();
    ASSERT_NE(command, nullptr);
    CLeafturnerView* view = ReadingView();
    ASSERT_GT(view->PageCount(), 8);
    const int step = view->IsSpread() ? 2 : 1;

    command->Action()->trigger();
    EXPECT_TRUE(command->IsRunning());
    ASSERT_TRUE(QTest::qWaitFor([view, step] { return view->CurrentPage() == step; }, 5000));
    QTest::keyClick(view->viewport(), Qt::Key_A);
    EXPECT_FALSE(command->IsRunning());
    EXPECT_FALSE(command->Action()->isChecked());
    QTest::qWait(1500);
    EXPECT_EQ(view->CurrentPage(), step);

    // Two turns before the end: it turns them and stops on the last page.
    view->ShowPage(view->PageCount() - 1 - 2 * step);
    const int last = view->CurrentPage() + 2 * step;
    command->SetRunning(true);
    ASSERT_TRUE(QTest::qWaitFor([command] { return !command->IsRunning(); }, 8000));
    EXPECT_EQ(view->CurrentPage(), last);
    EXPECT_FALSE(command->Action()->isChecked());
    // Nothing left to turn: it does not start.
    command->SetRunning(true);
    EXPECT_FALSE(command->IsRunning());
}

TEST_F(DesktopTest, TrayMenuShowsTheWindowAndQuits)
{
    ASSERT_TRUE(Start());
    CMainFrame* frame = Frame();
    QSystemTrayIcon tray;
    QMenu* menu = AttachTrayMenu(&tray, frame);
    ASSERT_EQ(tray.contextMenu(), menu);
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts.append(a->text());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("显示主窗口"), QStringLiteral("退出")}));

    frame->hide();
    emit tray.activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(frame->isVisible());
    frame->hide();
    menu->actions().constFirst()->trigger();
    EXPECT_TRUE(frame->isVisible());
    // The context click opens the menu instead of the window.
    frame->hide();
    emit tray.activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(frame->isVisible());
    CloseCounter closes;
    frame->installEventFilter(&closes);
    menu->actions().constLast()->trigger();
    EXPECT_EQ(closes.count, 1);
    EXPECT_FALSE(frame->isVisible());
}

} // namespace
