// A whole reader on a temporary profile, for tests that drive the real window.
#pragma once

#include "settings/messagesink.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

class CLeafturnerApp;
class CLeafturnerView;
class CMainFrame;

class ReaderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Settings written to the profile's Leafturner.ini before start-up (key -> value).
    void Setting(const QString& key, const QString& value) { m_settings[key] = value; }
    // Starts the reader with these command-line arguments; false when start-up failed.
    bool Start(const QStringList& args = {});
    void Stop();

    // A file in the temporary folder holding `text` as UTF-8.
    QString WriteBook(const QString& name, const QString& text);
    // A file in the temporary folder holding exactly `bytes`; a file's bytes (empty when unreadable).
    QString WriteBytes(const QString& name, const QByteArray& bytes);
    static QByteArray ReadBytes(const QString& path);

    CMainFrame* Frame() const;
    CLeafturnerView* ReadingView() const;
    // Lets queued commands and repaints run.
    void Settle();
    QString IniValue(const QString& key) const;
    // Chooses `path` in the next file dialog a command opens, and accepts it.
    static void AcceptNextFileDialog(const QString& path);
    // The stored value once it is `expected`, or as it stands after five seconds.
    QString StoredValue(const QString& key, const QString& expected) const;

    QTemporaryDir m_dir;
    RecordingMessageSink m_sink;
    std::unique_ptr<ScopedMessageSink> m_scopedSink;
    std::unique_ptr<CLeafturnerApp> m_app;
    std::map<QString, QString> m_settings;
    QString m_firstRunBook;
};
