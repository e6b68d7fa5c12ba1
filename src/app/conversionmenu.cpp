#include "app/conversionmenu.h"

#include "app/historycommand.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "convert/shownscript.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "document/textbuffer.h"
#include "layout/pagerenderer.h"
#include "search/searchpanedlg.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/convertedittext.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTableView>
#include <QThreadPool>
#include <array>
#include <vector>

namespace {

struct Entry
{
    ConvertConfig config;
    const char* text;
};

// In the order of PARA_CONVERSION's values.
constexpr std::array<Entry, 5> kEntries{{
    {ConvertConfig::None, "不转换"},
    {ConvertConfig::S2T, "简体→繁体"},
    {ConvertConfig::S2TW, "简体→台湾正体"},
    {ConvertConfig::S2HK, "简体→香港繁体"},
    {ConvertConfig::T2S, "繁体→简体"},
}};

// Pages made ahead around the one drawn: the spread before it and two after it.
constexpr int kAheadBefore = 2;
constexpr int kAheadAfter = 5;

ConvertConfig ConfigOfSetting(int value)
{
    return value > 0 && value < static_cast<int>(kEntries.size())
               ? kEntries[static_cast<std::size_t>(value)].config
               : ConvertConfig::None;
}

int SettingOfConfig(ConvertConfig config)
{
    for (std::size_t i = 0; i < kEntries.size(); ++i)
        if (kEntries[i].config == config)
            return static_cast<int>(i);
    return 0;
}

CHistoryCommand* History()
{
    return TheApp() ? TheApp()->History() : nullptr;
}

} // namespace

ConversionMenu::ConversionMenu(CMainFrame* frame) : QObject(frame), m_frame(frame)
{
    setObjectName(QStringLiteral("ConversionMenu"));
    frame->AddCommandHandler(this);
    m_menu = new QMenu(QStringLiteral("简繁转换"), frame);
    m_menu->setObjectName(QStringLiteral("ConversionMenu"));
    auto* group = new QActionGroup(m_menu);
    for (const Entry& entry : kEntries) {
        QAction* a = m_menu->addAction(QString::fromUtf8(entry.text));
        a->setData(QString::fromLatin1(ConvertConfigName(entry.config)));
        a->setCheckable(true);
        group->addAction(a);
        const ConvertConfig config = entry.config;
        connect(a, &QAction::triggered, this, [this, config] { Choose(config); });
    }
    // Every page is drawn through here: converted from the kept pages, the ones around it made ahead.
    ThePageRenderer().SetShownText([this](std::u16string_view text, std::int32_t begin, std::int32_t end) {
        std::u16string shown = ShownScript::Instance().Page(text, static_cast<std::size_t>(begin),
                                                            static_cast<std::size_t>(end));
        if (!shown.empty())
            NotePageDrawn(text.data(), begin);
        return shown;
    });
    ShownScript::Instance().Set(ConvertConfig::None, nullptr);
}

ConversionMenu::~ConversionMenu()
{
    ThePageRenderer().SetShownText({});
    ShownScript::Instance().Set(ConvertConfig::None, nullptr);
}

void ConversionMenu::Refresh(const CLeafturnerDoc* document)
{
    const TextBuffer* buffer = document ? document->Buffer() : nullptr;
    const QString path = buffer ? document->PathName() : QString();
    if (path != m_bookPath) {
        m_bookPath = path;
        ConvertConfig config = ConfigOfSetting(ParaGetInt(PARA_CONVERSION));
        if (CHistoryCommand* history = History(); history && !path.isEmpty()) {
            const QString chosen = history->ChosenConversion(path);
            ConvertConfig remembered = ConvertConfig::None;
            if (!chosen.isEmpty() && ParseConvertConfig(chosen.toStdString(), &remembered))
                config = remembered;
        }
        Apply(config);
    }
    for (QAction* a : m_menu->actions())
        a->setChecked(a->data().toString() == QString::fromLatin1(ConvertConfigName(m_wanted)));
}

void ConversionMenu::Choose(ConvertConfig config)
{
    ParaSetInt(SettingOfConfig(config), PARA_CONVERSION);
    if (CHistoryCommand* history = History(); history && !m_bookPath.isEmpty())
        history->SetChosenConversion(m_bookPath, QString::fromLatin1(ConvertConfigName(config)));
    Apply(config);
    Refresh(m_frame->Document());
}

bool ConversionMenu::IsReady() const
{
    return m_wanted == ConvertConfig::None || ShownScript::Instance().Converter() != nullptr;
}

void ConversionMenu::Apply(ConvertConfig config)
{
    m_wanted = config;
    if (config == ConvertConfig::None) {
        ShownScript::Instance().Set(config, nullptr);
        ShowAgain();
        return;
    }
    if (const auto found = m_loaded.find(config); found != m_loaded.end()) {
        ShownScript::Instance().Set(config, found->second);
        ShowAgain();
        return;
    }
    // The book's own characters until the dictionaries are in.
    ShownScript::Instance().Set(config, nullptr);
    ShowAgain();
    if (m_loading[config])
        return;
    m_loading[config] = true;
    QPointer<ConversionMenu> self(this);
    QThreadPool::globalInstance()->start([self, config] {
        std::string error;
        std::shared_ptr<ScriptConverter> converter = ScriptConverter::Get(config, &error);
        const QString message = QString::fromStdString(error);
        QMetaObject::invokeMethod(
            qApp,
            [self, config, converter, message] {
                if (self)
                    self->Loaded(config, converter, message);
            },
            Qt::QueuedConnection);
    });
}

void ConversionMenu::Loaded(ConvertConfig config, std::shared_ptr<ScriptConverter> converter,
                            const QString& error)
{
    m_loading[config] = false;
    if (!converter) {
        ShowMessage(error.isEmpty() ? QStringLiteral("简繁转换词典加载失败。") : error, MsgIcon::Warning);
        return; // the text stays as it is; choosing again tries again
    }
    m_loaded[config] = converter;
    if (m_wanted == config) {
        ShownScript::Instance().Set(config, converter);
        ShowAgain();
    }
}

void ConversionMenu::ShowAgain()
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(m_frame->ActiveViewWidget()))
        area->viewport()->update();
    // The search pane's context column is made as it is painted.
    if (auto* pane = m_frame->findChild<CSearchPaneDlg*>())
        pane->List()->viewport()->update();
}

void ConversionMenu::NotePageDrawn(const char16_t* text, std::int32_t begin)
{
    m_drawnText = text;
    m_drawnBegin = begin;
    if (m_prefetchQueued)
        return;
    m_prefetchQueued = true;
    QMetaObject::invokeMethod(this, &ConversionMenu::PrefetchAround, Qt::QueuedConnection);
}

void ConversionMenu::PrefetchAround()
{
    m_prefetchQueued = false;
    const CLeafturnerDoc* document = m_frame->Document();
    const TextBuffer* buffer = document ? document->Buffer() : nullptr;
    // Only the open book's pages (the settings preview draws through the same renderer).
    if (!buffer || buffer->Text() != m_drawnText || buffer->PageCount() <= 0)
        return;
    const int page = buffer->PageOf(m_drawnBegin);
    const std::int32_t length = buffer->Length();
    std::vector<ShownPages::Range> ranges;
    for (int p = page + 1; p <= page + kAheadAfter && p < buffer->PageCount(); ++p) {
        const std::int32_t end = p + 1 < buffer->PageCount() ? buffer->PageStart(p + 1) : length;
        ranges.emplace_back(buffer->PageStart(p), end);
    }
    for (int p = page - 1; p >= page - kAheadBefore && p >= 0; --p)
        ranges.emplace_back(buffer->PageStart(p), buffer->PageStart(p + 1));
    ShownScript::Instance().Prefetch(std::u16string_view(buffer->Text(), static_cast<std::size_t>(length)),
                                     ranges);
}

bool ConversionMenu::OnCmdMsg(int id)
{
    if (id != Cmd::ConvertWholeText)
        return false;
    CMyView* view = m_frame->ActiveView();
    auto* editView = view && view->IsEditView() ? dynamic_cast<CMyRichEditView*>(view) : nullptr;
    if (editView && m_wanted != ConvertConfig::None)
        ConvertEditText(editView->Edit(), m_wanted, m_frame);
    return true;
}

bool ConversionMenu::OnUpdateCmdUI(int id, CmdUI& ui)
{
    if (id != Cmd::ConvertWholeText)
        return false;
    const CMyView* view = m_frame->ActiveView();
    ui.enabled = view && view->IsEditView() && m_wanted != ConvertConfig::None;
    return true;
}
