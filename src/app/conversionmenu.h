// The "简繁转换" submenu: the script the open book is shown in, remembered per book, and the edit
// view's "转换全文" in that script.
#pragma once

#include "convert/scriptconverter.h"
#include "ui/cmdtarget.h"

#include <QObject>
#include <QString>
#include <map>
#include <memory>

class CLeafturnerDoc;
class CMainFrame;
class QMenu;

// A child of the frame and one of its command handlers. Dictionaries are loaded on a worker: the
// pages show the book's own characters until they are in, then are drawn again. Pages are converted
// as they are drawn, and the ones around the page drawn are made ahead (ShownScript).
class ConversionMenu : public QObject, public CCmdTarget
{
    Q_OBJECT
public:
    explicit ConversionMenu(CMainFrame* frame);
    ~ConversionMenu() override;

    QMenu* Menu() const { return m_menu; }
    // Follows the open book: a newly opened one is shown as chosen for it, else as the default.
    void Refresh(const CLeafturnerDoc* document);
    // Chooses `config` for the open book and as the default for books never given one.
    void Choose(ConvertConfig config);
    // The conversion shown now (the choice; its dictionaries may still be loading).
    ConvertConfig Current() const { return m_wanted; }
    // True once the chosen conversion's dictionaries are in use (or none is chosen).
    bool IsReady() const;

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

private:
    void Apply(ConvertConfig config);
    void Loaded(ConvertConfig config, std::shared_ptr<ScriptConverter> converter, const QString& error);
    void ShowAgain();
    void NotePageDrawn(const char16_t* text, std::int32_t begin);
    void PrefetchAround();

    CMainFrame* m_frame;
    QMenu* m_menu = nullptr;
    QString m_bookPath; // the book the shown conversion was chosen for
    ConvertConfig m_wanted = ConvertConfig::None;
    std::map<ConvertConfig, std::shared_ptr<ScriptConverter>> m_loaded;
    std::map<ConvertConfig, bool> m_loading;
    const char16_t* m_drawnText = nullptr;
    std::int32_t m_drawnBegin = -1;
    bool m_prefetchQueued = false;
};
