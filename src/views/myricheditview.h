// CMyRichEditView: the edit view: the book's text in an editable control on the book background,
// with find and replace, paging, its own scroll bar and the edit commands.
#pragma once

#include "document/myview.h"
#include "views/findreplacecontroller.h"
#include "views/gotopagedialog.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>

class CMyRichEdit;
class QTimer;
class TextBuffer;
class ViewHost;

class CMyRichEditView : public QAbstractScrollArea, public CMyView, public GoToPageTarget
{
    Q_OBJECT
public:
    CMyRichEditView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent);
    // Stores the first visible offset as the last reading position.
    ~CMyRichEditView() override;

    // CMyView
    bool IsTextModified() const override;
    void SetTextModified(bool modified) override;
    bool CommitEdits() override;
    std::int32_t OffsetUnderMouse() override;
    void GoToOffset(std::int32_t offset) override;
    QString FormatStatusText() const override;
    QString FormatPositionLabel(std::int32_t offset) const override;
    std::int32_t CurrentOffset() const override;
    void Relayout() override;
    void OnInitialUpdate() override;
    bool IsEditView() const override { return true; }

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

    // Find with the dialog's (or else the last) search; false when nothing was found.
    bool FindNext();

    // The display settings changed: fonts, colours, the column and the background are applied again;
    // selection and modified state stay.
    void SettingsChanged();

    // Reformat and garbled repair work on this view; their subsystem installs the handler, and the
    // commands stay off until it does.
    using EditToolHandler = std::function<void(CMyRichEditView& view, int commandId)>;
    static void SetEditToolHandler(EditToolHandler handler);

    CMyRichEdit* Edit() const { return m_edit; }
    FindReplaceDialog* FindDialog() const { return m_find->Dialog(); }
    // Where the control sits in the view's client area.
    QRect EditColumn() const;
    int LineCount() const;
    int FirstVisibleLine() const;
    int BeepCount() const { return m_find->BeepCount(); }

    void ShowContextMenuAt(const QPoint& globalPos);
    void ShowContextMenuAtMiddle();
    void PostCommand(int id);

    // GoToPageTarget
    bool GoToIsEditView() const override { return true; }
    int GoToPageCount() const override { return 0; }
    int GoToCurrentPage() const override { return 0; }
    void GoToShowPage(int) override {}
    int GoToFirstVisibleLine() const override { return FirstVisibleLine(); }
    int GoToLineCount() const override { return LineCount(); }
    void GoToScrollToLine(int line) override;
    void GoToPushStatus() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    TextBuffer* Buffer() const;
    void LoadFromBuffer();
    void ApplyFormats();
    void PlaceColumn();
    void SyncScrollBar(bool force);
    void OnScrollAction(int action);
    void PlaceCaretAtTop();

    ViewHost* m_host;
    CMyRichEdit* m_edit = nullptr;
    QTimer* m_timer = nullptr;
    QImage m_background;
    bool m_loaded = false;
    bool m_settingBar = false;
    int m_barLines = -1;
    int m_barFirst = -1;
    int m_barPage = -1;
    std::unique_ptr<FindReplaceController> m_find;
};
