// Arbitrary toolbar state blocks applied to the real toolbar: no crash, and what it keeps is sane.
#include "ui/toolbarex.h"
#include "ui/toolbarresource.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QMainWindow>
#include <cstdlib>
#include <memory>
#include <sanitizer/lsan_interface.h>
#include <set>

namespace {

struct Harness
{
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QMainWindow> frame;
    CToolBarEx* toolbar = nullptr;
    QHash<int, QAction*> actions;
};

Harness* TheHarness()
{
    static Harness* h = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_toolbar";
        static char* argv[] = {name, nullptr};
        auto* harness = new Harness;
        harness->app = std::make_unique<QApplication>(argc, argv);
        harness->frame = std::make_unique<QMainWindow>();
        for (const ToolbarResourceItem& item : MainToolbarResource()) {
            if (item.commandId != 0)
                harness->actions.insert(item.commandId, new QAction(harness->frame.get()));
        }
        harness->toolbar = new CToolBarEx(QStringLiteral("toolbar"), harness->frame.get());
        harness->toolbar->LoadToolBar(MainToolbarResource(),
                                      [harness](int id) { return harness->actions.value(id); });
        harness->toolbar->BuildButtonTable();
        harness->toolbar->MarkDefaultButtons();
        // Every option combination is laid out once here, so font and image caches filled on first
        // use do not count as leaks of an input.
        CToolBarEx* t = harness->toolbar;
        for (int text = 0; text < 3; ++text) {
            for (int height = 0; height < CToolBarEx::kTextHeightCount; ++height) {
                for (int icon = 0; icon < 3; ++icon) {
                    t->ChooseTextOption(text, true);
                    t->ChooseTextHeightOption(height, true);
                    t->ChooseIconOption(icon, true);
                    const auto shown = t->actions();
                    for (QAction* a : shown) {
                        if (QWidget* w = t->widgetForAction(a))
                            w->sizeHint();
                    }
                    harness->frame->adjustSize();
                }
            }
        }
        return harness;
    }();
    return h;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Font matching keeps allocations it never frees; they belong to the set-up, not to an input.
    __lsan::ScopedDisabler noLeakChecks;
    TheHarness();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Harness* h = TheHarness();
    CToolBarEx* t = h->toolbar;
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool applied = t->ApplyStateBlock(block);
    Check(applied == (size >= static_cast<std::size_t>(CToolBarEx::kOptionBytes)));
    Check(t->Layout().size() <= CToolBarEx::kMaxButtons);
    std::set<int> seen;
    for (int id : t->Layout()) {
        if (id != 0) {
            Check(h->actions.contains(id));
            Check(seen.insert(id).second);
        }
    }
    Check(t->IconOption() >= 0 && t->IconOption() <= 2);
    Check(t->TextOption() >= 0 && t->TextOption() <= 2);
    Check(t->TextHeightOption() >= 0 && t->TextHeightOption() < CToolBarEx::kTextHeightCount);
    Check(t->actions().size() == t->Layout().size());
    // What the toolbar would save reads back the same.
    const QList<int> layout = t->Layout();
    Check(t->ApplyStateBlock(t->StateBlock()));
    Check(t->Layout() == layout);
    // Buttons taken off the toolbar are deleted later; without an event loop, do it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
