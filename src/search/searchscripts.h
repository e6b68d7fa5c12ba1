// A search typed in either script: the pattern as the other script writes it.
#pragma once

#include "search/searchquery.h"

#include <QStringList>

// The query's pattern converted both ways between the book's script and the one it is shown in
// (what the book holds, what the reader sees), without the pattern itself and without repeats.
// Empty when nothing is shown converted, or for a regex whose groups would be renumbered by
// joining (back-references). Loads dictionaries on first use: call it off the GUI thread.
QStringList OtherScriptForms(const SearchQuery& query);

// `query` searching for its pattern or any of its other forms: a plain query becomes the regex of
// the alternatives, a regex the alternation of its forms. The query itself without other forms.
SearchQuery WithOtherForms(const SearchQuery& query);
