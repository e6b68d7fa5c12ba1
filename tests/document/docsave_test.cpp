// The document's save paths when the view cannot hand over its edits: nothing is written or switched.
#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "document/codepage.h"
#include "settings/messagesink.h"
#include "ui/commandids.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// An edit view whose commit runs out of memory, as the real one reports it.
class OutOfMemoryView : public CMyView
{
public:
    using CMyView::CMyView;
    bool IsTextModified() const override { return m_modified; }
    void SetTextModified(bool modified) override { m_modified = modified; }
    bool CommitEdits() override
    {
        ShowMessage(QStringLiteral("内存不足。"), MsgIcon::Warning);
        return false;
    }
    bool IsEditView() const override { return true; }

private:
    bool m_modified = false;
};

class Host : public DocumentHost
{
public:
    CMyView* ActiveView() const override { return view; }
    void ChapterPaneClear() override {}
    void ChapterPaneRefresh() override {}
    bool SwitchView(bool) override
    {
        ++switches;
        return true;
    }
    QString AskSaveAsPath(const QString&) override { return saveAsPath; }
    void LocateInFileList(const QString&) override {}
    void UpdateFrameTitle() override {}

    CMyView* view = nullptr;
    int switches = 0;
    QString saveAsPath;
};

} // namespace

TEST(DocumentSave, AFailedCommitStopsTheSaveAndTheSwitchAndKeepsTheEdits)
{
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    const QString other = dir.filePath(QStringLiteral("copy.txt"));
    const QByteArray stored("\xB5\xDA\xD2\xBB\r\n");
    struct Case
    {
        const char* name;
        std::function<void(CLeafturnerDoc&, RecordingMessageSink&)> run;
    };
    const Case cases[] = {
        {"save", [](CLeafturnerDoc& doc, RecordingMessageSink&) { doc.OnCmdMsg(Cmd::FileSave); }},
        {"save as", [](CLeafturnerDoc& doc, RecordingMessageSink&) { doc.OnCmdMsg(Cmd::FileSaveAs); }},
        {"edit mode, yes",
         [](CLeafturnerDoc& doc, RecordingMessageSink& sink) {
             sink.QueueAnswer(MsgAnswer::Yes);
             EXPECT_FALSE(doc.ToggleEditMode());
         }},
        {"close, yes",
         [](CLeafturnerDoc& doc, RecordingMessageSink& sink) {
             sink.QueueAnswer(MsgAnswer::Yes);
             EXPECT_FALSE(doc.SaveModified(false));
         }},
        {"chapter pane",
         [](CLeafturnerDoc& doc, RecordingMessageSink&) { EXPECT_FALSE(doc.SaveBeforeLeaving()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(stored);
        }
        RecordingMessageSink sink;
        ScopedMessageSink scoped(&sink);
        Host host;
        host.saveAsPath = other;
        CLeafturnerDoc doc(&host);
        OutOfMemoryView view(&doc);
        host.view = &view;
        ASSERT_TRUE(doc.OnOpenDocument(path));
        view.SetTextModified(true);

        c.run(doc, sink);
        EXPECT_EQ(sink.Last(), QStringLiteral("内存不足。"));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(host.switches, 0);
        EXPECT_EQ(doc.PathName(), path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), stored);
        EXPECT_FALSE(QFile::exists(other));
    }
}
