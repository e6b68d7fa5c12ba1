// ReaderTest: a reader started on a temporary profile with a pinned font.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "layout/textmetrics.h"
#include "settings/inifile.h"
#include "settings/profile.h"
#include "settings/readingposition.h"
#include "support/files.h"
#include "views/leafturnerview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <memory>

void ReaderTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_scopedSink = std::make_unique<ScopedMessageSink>(&m_sink);
    TextMetrics::PinDefaultFamily(QStringLiteral("Noto Sans CJK SC"));
    // No animation unless a test asks for one: turns stay instant.
    Setting(QStringLiteral("PARA_TURN_PAGE"), QStringLiteral("0"));
}

void ReaderTest::TearDown()
{
    Stop();
    m_scopedSink.reset();
}

bool ReaderTest::Start(const QStringList& args)
{
    const QString profile = m_dir.filePath(QStringLiteral("profile"));
    IniFile ini(profile + QStringLiteral("/Leafturner.ini"));
    QDir().mkpath(profile);
    for (const auto& [key, value] : m_settings)
        ini.WriteString(QStringLiteral("ParaBlock"), key, value);
    CoreOptions options;
    options.profile = profile;
    options.screen = ParaScreen{1920, 0xFFFFFF};
    QString error;
    if (!InitCore(options, QString(), &error))
        return false;
    m_app = std::make_unique<CLeafturnerApp>();
    m_app->SetFirstRunBook(m_firstRunBook);
    const bool ok = m_app->InitInstance(args);
    if (ok)
        Frame()->resize(1000, 700);
    Settle();
    return ok;
}

void ReaderTest::Stop()
{
    if (m_app) {
        if (Frame())
            Frame()->close();
        m_app->ExitInstance();
        m_app.reset();
    }
    // As the reader's main does: what the edit view reported on its way out is stored.
    StopReadingPositionWriter();
}

QString ReaderTest::WriteBook(const QString& name, const QString& text)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    return path;
}

QString ReaderTest::WriteBytes(const QString& name, const QByteArray& bytes)
{
    return WriteFileIn(m_dir, name, bytes);
}

QByteArray ReaderTest::ReadBytes(const QString& path)
{
    return ReadFileBytes(path);
}

CMainFrame* ReaderTest::Frame() const
{
    return m_app ? m_app->MainFrame() : nullptr;
}

CLeafturnerView* ReaderTest::ReadingView() const
{
    return Frame() ? qobject_cast<CLeafturnerView*>(Frame()->ActiveViewWidget()) : nullptr;
}

void ReaderTest::Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

QString ReaderTest::IniValue(const QString& key) const
{
    return IniFile(SettingsFilePath()).ReadString(QStringLiteral("ParaBlock"), key);
}

void ReaderTest::AcceptNextFileDialog(const QString& path)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 2000)
            return;
        timer->stop();
        timer->deleteLater();
        ASSERT_NE(dialog, nullptr) << "no file dialog showed";
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog keeps its override protected
    });
    timer->start(5);
}

QString ReaderTest::StoredValue(const QString& key, const QString& expected) const
{
    QElapsedTimer clock;
    clock.start();
    QString value = IniValue(key);
    while (value != expected && clock.elapsed() < 5000) {
        QTest::qWait(20);
        value = IniValue(key);
    }
    return value;
}
