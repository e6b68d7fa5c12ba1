// The contact sheet: every built-in picture on one page, for looking at the artwork.
#pragma once

#include <QImage>
#include <QList>
#include <QString>

struct SheetEntry
{
    QString label;
    QImage image; // as written, any format
};

// Desk/cover and page pictures are tiled with a corner inside the cell, so seams would show; pages
// carry a few lines of black text.
QImage PaintContactSheet(const QList<SheetEntry>& desks, const QList<SheetEntry>& pages, const QImage& splash,
                         const QImage& icons, const QImage& toolbar);
