// Counting the units a book's bytes decode to, from bytes that arrive piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

using PieceVisitor = std::function<bool(const std::uint8_t*, std::size_t)>;
// Calls the visitor with consecutive pieces of the bytes (stopping when it returns false); may be
// called more than once and must give the same bytes each time. False on a read error.
using PieceSource = std::function<bool(const PieceVisitor&)>;

// The number of UTF-16 units the bytes decode to, recognised the way a book is, before line ends
// are made single. Counting stops early once it passes `stopAbove` (the result is then some
// value above it). Nothing on a read error. Lets a file too large to hold twice be refused
// without reading it into memory.
std::optional<std::size_t> CountDecodedUnits(const PieceSource& pieces, std::size_t stopAbove);
