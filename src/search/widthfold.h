// Folding tables that let plain and regex search ignore letter case and character width.
#pragma once

// A 65,536-entry table mapping each UTF-16 unit to the form it is compared in: full-width and
// half-width forms to one shared form (ASCII for the full-width Latin block and U+3000) with
// `ignoreWidth`, then simple case folding with `ignoreCase`. Every unit maps to exactly one unit, so
// folded text keeps every offset; surrogates map to themselves. Null when neither is asked for.
// Built once per combination; safe from any thread.
const char16_t* FoldTable(bool ignoreCase, bool ignoreWidth);
