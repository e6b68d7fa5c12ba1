// A small book the command-line tests page, draw and search through.
#pragma once

#include <QString>

// `count` short paragraphs of one classical line, each ending in its number ("第7段") and CR LF.
QString NumberedParagraphs(int count);
