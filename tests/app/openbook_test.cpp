// Opening what is not a book file: every route refuses it at once, and the open book stays.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "library/bookmarkfile.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kOpenFailed = QStringLiteral("文件打开失败。");

QString LongText()
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("第%1段。春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。\n").arg(i);
    return text;
}

// Opens the FIFO for writing now and then once a reader waits on it, so an open that blocks ends
// (late) instead of hanging the suite; the test then fails on the time it took.
class FifoRescuer
{
public:
    explicit FifoRescuer(const QString& fifo) : m_fifo(QFile::encodeName(fifo))
    {
        m_thread = std::thread([this] {
            for (int i = 0; !m_stop && i < 600; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (i < 60)
                    continue; // 3 s: far longer than any refusal takes
                const int fd = ::open(m_fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
            }
        });
    }
    ~FifoRescuer()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    QByteArray m_fifo;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class OpenBookTest : public ReaderTest
{
protected:
    QString MakeFifo(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        return path;
    }
    void ExpectBookKept(const QString& book, int page)
    {
        ASSERT_NE(Frame()->Document()->Buffer(), nullptr);
        EXPECT_EQ(Frame()->Document()->PathName(), book);
        ASSERT_NE(ReadingView(), nullptr);
        EXPECT_EQ(ReadingView()->CurrentPage(), page);
        EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), book);
        EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner - ") + QFileInfo(book).fileName());
    }
};

} // namespace

TEST_F(OpenBookTest, EveryRouteRefusesANonRegularFileAtOnceAndKeepsTheBook)
{
    const QString fifo = MakeFifo(QStringLiteral("pipe.txt"));
    FifoRescuer rescuer(fifo);
    struct Route
    {
        const char* name;
        std::function<void(const QString&)> open;
    };
    const Route routes[] = {
        {"open dialog",
         [this](const QString& path) {
             AcceptNextFileDialog(path);
             Frame()->RouteCommand(Cmd::FileOpen);
         }},
        {"recent files",
         [this](const QString& path) {
             m_app->AddToRecentFiles(path);
             Frame()->RouteCommand(Cmd::FileMruFirst);
         }},
        {"file list pane", [this](const QString& path) { Frame()->OpenOrSelectFile(path, 3); }},
        {"drop",
         [this](const QString& path) {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(path)});
             QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             // Straight to the window: the application hands drops only to a drag it runs itself.
             static_cast<QObject*>(Frame())->event(&drop);
         }},
        {"bookmark",
         [this](const QString& path) {
             ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("管道"), path, 0));
             m_app->OpenBookmark(QStringLiteral("管道"));
         }},
    };
    const QString book = WriteBook(QStringLiteral("book.txt"), LongText());
    ASSERT_TRUE(Start({book}));
    ReadingView()->GoToOffset(5000);
    const int page = ReadingView()->CurrentPage();
    ASSERT_GT(page, 0);
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        m_sink.Clear();
        QElapsedTimer clock;
        clock.start();
        route.open(fifo);
        Settle();
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(m_sink.Messages(), QStringList{kOpenFailed});
        ExpectBookKept(book, page);
    }
    Stop();

    // At start-up: named on the command line (which ends start-up) or restored (an empty window).
    QElapsedTimer clock;
    clock.start();
    m_sink.Clear();
    EXPECT_FALSE(Start({fifo}));
    EXPECT_EQ(m_sink.Messages(), QStringList{kOpenFailed});
    Stop();
    m_sink.Clear();
    Setting(QStringLiteral("PARA_LAST_PATH"), fifo);
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_sink.Messages(), QStringList{kOpenFailed});
    EXPECT_EQ(Frame()->Document()->Buffer(), nullptr);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(OpenBookTest, AFailedOpenKeepsTheBookThatWasOpen)
{
    struct Case
    {
        const char* name;
        std::function<QString()> make;
        QString message;
    };
    const Case cases[] = {
        {"folder named like a book",
         [this] {
             const QString path = m_dir.filePath(QStringLiteral("folder.txt"));
             QDir().mkpath(path);
             return path;
         },
         kOpenFailed},
        {"vanished file", [this] { return m_dir.filePath(QStringLiteral("gone.txt")); }, kOpenFailed},
        {"4 GB file",
         [this] {
             const QString path = m_dir.filePath(QStringLiteral("huge.txt"));
             QFile f(path);
             EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(qint64{1} << 32));
             return path;
         },
         QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。")},
    };
    const QString book = WriteBook(QStringLiteral("book.txt"), LongText());
    ASSERT_TRUE(Start({book}));
    ReadingView()->GoToOffset(5000);
    const int page = ReadingView()->CurrentPage();
    const QString text(reinterpret_cast<const QChar*>(Frame()->Document()->Buffer()->Text()),
                       Frame()->Document()->Buffer()->Length());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sink.Clear();
        EXPECT_FALSE(m_app->OpenDocumentFile(c.make()));
        Settle();
        EXPECT_EQ(m_sink.Last(), c.message);
        ExpectBookKept(book, page);
        const TextBuffer* buffer = Frame()->Document()->Buffer();
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(QString::fromRawData(reinterpret_cast<const QChar*>(buffer->Text()), buffer->Length()),
                  text);
        EXPECT_TRUE(m_app->RecentFiles().startsWith(book));
    }
}
