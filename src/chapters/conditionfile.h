// Reading and writing the chapter condition file (UTF-16LE with FF FE, one condition per line).
#pragma once

#include "chapters/chapterconditionlist.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Replaces `list` with the file's lines (every line, an empty one too; lines too long for the list
// are dropped). A missing or empty file gives the ten defaults. Never shows a message.
void LoadConditionFile(const QString& path, ChapterConditionList& list);
// The same for a file's bytes already in memory.
void LoadConditionBytes(const std::uint8_t* data, std::uint32_t size, ChapterConditionList& list);

// The file's bytes: FF FE, then each condition in UTF-16LE followed by CR LF.
QByteArray ConditionFileBytes(const ChapterConditionList& list);
// Replaces the file atomically; false (the old file intact) when it cannot be written.
bool SaveConditionFile(const QString& path, const ChapterConditionList& list);
