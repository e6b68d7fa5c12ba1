// The reading position: reported by the views on every page change, stored off the caller's thread.
#pragma once

#include <QString>
#include <cstdint>

// Receives the reading position once a burst of changes has settled. Calls never overlap; they come
// from the position writer's thread, or from the thread that calls FlushReadingPosition.
class ReadingPositionSink
{
public:
    virtual ~ReadingPositionSink() = default;
    virtual void StorePosition(const QString& bookPath, std::int32_t offset) = 0;
};

// A store follows a report once no other report came for kPositionQuietMs, and never later than
// kPositionMaxDelayMs after the first report it stores, so the file holds the value within a second.
constexpr int kPositionQuietMs = 200;
constexpr int kPositionMaxDelayMs = 800;

// Besides the settings file, which is always served. Not owned; remove a sink before it goes.
void AddReadingPositionSink(ReadingPositionSink* sink);
void RemoveReadingPositionSink(ReadingPositionSink* sink);

// Cheap, on any thread, and never touches the disk: when `bookPath` is PARA_LAST_PATH,
// PARA_LAST_POS takes `offset` in memory at once; the latest report of a burst is stored later.
void ReportReadingPosition(const QString& bookPath, std::int32_t offset);
// Stores what is pending now on the calling thread, after a store in progress: at exit, view switch
// and book change.
void FlushReadingPosition();
// Flushes and ends the writer's thread; a later report starts it again.
void StopReadingPositionWriter();
