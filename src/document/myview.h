// CMyView: the operations through which the document, the panes and start-up reach the active view.
#pragma once

#include "ui/cmdtarget.h"

#include <QString>
#include <cstdint>

class CLeafturnerDoc;

// Both the reading view and the edit view implement these; the defaults are what a view that holds
// no edits answers.
class CMyView : public CCmdTarget
{
public:
    explicit CMyView(CLeafturnerDoc* document) : m_document(document) {}
    ~CMyView() override = default;

    CLeafturnerDoc* GetDocument() const { return m_document; }

    virtual bool IsTextModified() const { return false; }
    virtual void SetTextModified(bool modified) { (void)modified; }
    // False (with a message) when the edits could not be committed: the buffer keeps its old text.
    virtual bool CommitEdits() { return true; }
    virtual std::int32_t OffsetUnderMouse() { return 0; }
    virtual void GoToOffset(std::int32_t offset) { (void)offset; }
    virtual QString FormatStatusText() const { return {}; }
    virtual QString FormatPositionLabel(std::int32_t offset) const
    {
        (void)offset;
        return {};
    }
    virtual std::int32_t CurrentOffset() const { return 0; }
    // Changes whenever the view lays the book out anew, so that position labels may have changed.
    virtual std::uint64_t LayoutGeneration() const { return 0; }
    virtual void Relayout() {}

    // Called when the view is created for a document or a document was opened into it.
    virtual void OnInitialUpdate() {}
    // True for the edit view.
    virtual bool IsEditView() const { return false; }

private:
    CLeafturnerDoc* m_document;
};
