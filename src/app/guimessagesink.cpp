// Message boxes for the reader's messages and questions.
#include "app/guimessagesink.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace {

MsgAnswer ShowBox(const QString& text, MsgButtons buttons, MsgIcon icon)
{
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    QMessageBox::StandardButton def = QMessageBox::Ok;
    switch (buttons) {
    case MsgButtons::Ok:
        break;
    case MsgButtons::OkCancel:
        b = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        b = QMessageBox::Yes | QMessageBox::No;
        def = QMessageBox::Yes;
        break;
    case MsgButtons::YesNoCancel:
        b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        def = QMessageBox::Yes;
        break;
    }
    QMessageBox::Icon i = QMessageBox::Information;
    switch (icon) {
    case MsgIcon::Information:
        i = QMessageBox::Information;
        break;
    case MsgIcon::Warning:
        i = QMessageBox::Warning;
        break;
    case MsgIcon::Question:
        i = QMessageBox::Question;
        break;
    case MsgIcon::Error:
        i = QMessageBox::Critical;
        break;
    }
    QMessageBox box(i, QStringLiteral("Leafturner"), text, b, QApplication::activeWindow());
    box.setDefaultButton(def);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        break;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::No
                                        : (buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel);
}

} // namespace

MsgAnswer GuiMessageSink::Show(const QString& text, MsgButtons buttons, MsgIcon icon)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return ShowBox(text, buttons, icon);
    MsgAnswer answer = MsgAnswer::Cancel;
    QMetaObject::invokeMethod(
        app, [&] { answer = ShowBox(text, buttons, icon); }, Qt::BlockingQueuedConnection);
    return answer;
}
