#include "views/convertedittext.h"

#include "settings/messagesink.h"
#include "views/myrichedit.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTextCursor>
#include <QTextDocument>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

namespace {

// Shared by the dialog and the worker, so a cancelled conversion may end after the dialog is gone.
struct Work
{
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{1};
    std::atomic<bool> finished{false};
    // Written before `finished` is set.
    bool converted = false;
    std::u16string out;
    std::string error;
};

constexpr int kSteps = 1000;

} // namespace

bool ConvertEditText(CMyRichEdit* edit, ConvertConfig config, QWidget* dialogParent)
{
    if (!edit || edit->isReadOnly() || config == ConvertConfig::None)
        return false;
    QTextDocument* document = edit->document();
    // The book's own text: its line ends, none of the control's display cuts or stand-ins.
    QString raw = edit->TextWithCrs();
    std::u16string text(reinterpret_cast<const char16_t*>(raw.utf16()), static_cast<std::size_t>(raw.size()));
    raw.clear();

    auto work = std::make_shared<Work>();
    work->total = std::max<std::size_t>(1, text.size());
    QThreadPool::globalInstance()->start([work, config, text = std::move(text)] {
        if (const auto converter = ScriptConverter::Get(config, &work->error)) {
            work->converted =
                converter->ConvertWhole(text, &work->out, [&work](std::size_t done, std::size_t total) {
                    work->done.store(done, std::memory_order_relaxed);
                    work->total.store(std::max<std::size_t>(1, total), std::memory_order_relaxed);
                    return !work->cancel.load(std::memory_order_relaxed);
                });
        }
        work->finished.store(true, std::memory_order_release);
    });

    QProgressDialog progress(QStringLiteral("正在转换全文……"), QStringLiteral("取消"), 0, kSteps,
                             dialogParent);
    progress.setObjectName(QStringLiteral("ConvertProgress"));
    progress.setWindowTitle(QStringLiteral("转换全文"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    progress.show();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(30);
    bool cancelled = false;
    auto stop = [&] {
        cancelled = true;
        work->cancel.store(true);
        loop.quit();
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (progress.wasCanceled()) { // Esc and cancel() reset the dialog without a signal
            stop();
            return;
        }
        if (work->finished.load(std::memory_order_acquire)) {
            loop.quit();
            return;
        }
        const double share = static_cast<double>(work->done.load(std::memory_order_relaxed)) /
                             static_cast<double>(work->total.load(std::memory_order_relaxed));
        progress.setValue(static_cast<int>(share * (kSteps - 1)));
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, stop);
    poll.start();
    if (!work->finished.load(std::memory_order_acquire))
        loop.exec();
    poll.stop();
    progress.hide();
    if (cancelled)
        return false;
    if (!work->converted) {
        if (!work->error.empty())
            ShowMessage(QString::fromStdString(work->error), MsgIcon::Warning);
        return false;
    }
    const int caret = edit->textCursor().position();
    edit->ReplaceAllText(QString::fromUtf16(work->out.data(), static_cast<qsizetype>(work->out.size())));
    QTextCursor place(document);
    place.setPosition(std::min(caret, document->characterCount() - 1));
    edit->setTextCursor(place);
    return true;
}
