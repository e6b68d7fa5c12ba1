// Repairing text garbled by a lost byte of a double-byte character.
#pragma once

#include <QString>

enum class RepairOutcome
{
    Repaired,
    EmptySelection, // nothing selected
    NoLeadByte,     // the selection holds no double-byte character of the ANSI code page
};

struct RepairResult
{
    RepairOutcome outcome = RepairOutcome::Repaired;
    QString text; // the replacement for the selection when repaired
};

// Converts the selection to the book's code page (empty: the ANSI code page), takes away its first
// lead byte (a space stands in for it when it is the very first byte) and decodes the rest again, so
// the bytes after it pair up one byte later.
RepairResult RepairGarbled(const QString& selection, const QString& codePage = {});

// The message the user sees for an outcome that repaired nothing (empty for Repaired).
QString RepairMessage(RepairOutcome outcome);
