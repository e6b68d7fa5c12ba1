// Where the book sits in a view, the page size and spread flag, page clamping and the page percent.
#pragma once

#include <QRect>
#include <QSize>

// The rectangle in which the book is drawn, from the view's client rectangle and the show mode;
// only the left and right edges move.
QRect BookRect(const QRect& clientRect, bool forEditView);

// The text area of one page (whole multiples of the cell and the pitch) and whether two pages are
// shown side by side. An empty book rectangle changes nothing.
void ComputePageSize(const QRect& bookRect, QSize* pageSize, bool* spread);
// The same with the cell size and line pitch given.
void ComputePageSizeFor(const QRect& bookRect, int cell, int pitch, QSize* pageSize, bool* spread);

// A page index valid for display: within 0..count-1 and, for a spread, the left (even) page.
// 0 when there are no pages.
int ClampPage(int page, int count, bool spread);

// (page + 1) * 100 / count, for the status text and the go-to dialog; 0 when there are no pages.
double PagePercent(int page, int count);
