// Reopening a book in another encoding, and showing the encoding it was read in.
#include "app/encodingmenu.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/bookencoding.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "document/textbuffer.h"
#include "document/codepage.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

EncodingMenu::EncodingMenu(QWidget* frame) : QObject(frame)
{
    m_menu = new QMenu(QStringLiteral("以其他编码重新打开"), frame);
    m_menu->setObjectName(QStringLiteral("ReopenEncodingMenu"));
    auto* group = new QActionGroup(m_menu);
    QStringList names = EncodingChoiceNames();
    names.removeAll(QStringLiteral("EUC-JP")); // detection still finds it; the menu keeps to the common ones
    // The locale's own code page, unless it is one of those already offered.
    const QString local = CodePageDisplayName(CodePage::AnsiCodePageName());
    if (!names.contains(local))
        names.append(local);
    for (const QString& name : names) {
        QAction* a = m_menu->addAction(name == u"auto" ? QStringLiteral("自动检测") : name);
        a->setData(name);
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [name] {
            const auto choice = ParseEncodingChoice(name);
            if (choice && TheApp())
                Reopen(*TheApp(), *choice);
        });
    }
    m_pane = new QLabel(frame);
    m_pane->setObjectName(QStringLiteral("EncodingPane"));
    m_pane->setAlignment(Qt::AlignCenter);
    m_pane->setMinimumWidth(m_pane->fontMetrics().horizontalAdvance(QStringLiteral("Shift_JIS")) + 12);
}

void EncodingMenu::Refresh(const CLeafturnerDoc* document)
{
    const TextBuffer* buffer = document ? document->Buffer() : nullptr;
    m_pane->setText(buffer ? EncodingDisplayName(*buffer) : QString());
    m_menu->setEnabled(buffer != nullptr);
    if (!buffer)
        return;
    const QString chosen = EncodingChoiceName(RememberedEncodingChoice(document->PathName()));
    for (QAction* a : m_menu->actions())
        a->setChecked(a->data().toString() == chosen);
}

bool EncodingMenu::Reopen(CLeafturnerApp& app, const EncodingChoice& choice)
{
    CLeafturnerDoc* document = app.Document();
    if (!document || !document->Buffer() || document->PathName().isEmpty())
        return false;
    const QString path = document->PathName();
    std::int32_t offset = 0;
    if (CMyView* view = app.MainFrame() ? app.MainFrame()->ActiveView() : nullptr)
        offset = view->CurrentOffset();
    BookEncodingMemory& memory = CurrentBookEncodingMemory();
    const QString before = memory.ChosenEncoding(path);
    memory.SetChosenEncoding(path, EncodingChoiceName(choice));
    // Opening asks to save edits first; declining or a failed read keeps the old choice.
    if (!app.ReloadDocumentFile(path)) {
        memory.SetChosenEncoding(path, before);
        return false;
    }
    if (CMyView* view = app.MainFrame() ? app.MainFrame()->ActiveView() : nullptr)
        view->GoToOffset(offset);
    return true;
}
