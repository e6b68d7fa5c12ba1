// A small book the command-line tests page, draw and search through.
#include "support/books.h"

QString NumberedParagraphs(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。第%1段\r\n").arg(i);
    return text;
}
