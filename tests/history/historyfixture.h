// Shared by the history tests: a temporary folder with books and a clock the test moves.
#pragma once

#include "history/historystore.h"
#include "settings/messagesink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline std::int64_t g_testNow = 1'700'000'000'000;
inline std::int64_t TestClock()
{
    return g_testNow += 1000;
}

class HistoryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        HistoryStore::SetClock(TestClock);
    }
    void TearDown() override { HistoryStore::SetClock(nullptr); }

    QString DbFile() const { return m_dir.filePath(QStringLiteral("Leafturner.db")); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A book whose bytes differ from every other one the test makes (seeded by `seed`).
    QString WriteBook(const QString& name, int seed, int bytes = 200000)
    {
        QByteArray data(bytes, Qt::Uninitialized);
        std::uint32_t x = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
        for (char& c : data) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = static_cast<char>('a' + x % 26);
        }
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }

    // Opens a book the way the reader does: the file's fingerprint and its length in characters.
    std::optional<BookRecord> Open(HistoryStore& store, const QString& path, std::int32_t length = 200000)
    {
        return store.OpenBook(path, FingerprintOfFile(path), length, QStringLiteral("Utf8"));
    }

    QTemporaryDir m_dir;
};
