// The file browser on its own, and the file list pane with the library commands in the whole reader.
#include "support/readerfixture.h"

#include "app/filelistcommand.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "library/bookshelflist.h"
#include "library/librarymanagerdialog.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "ui/dlgfilebrowse.h"
#include "ui/panehostbar.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

void Touch(const QString& path, const QByteArray& bytes = "text\n")
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

// Names the view lists under its root, in order.
QStringList Listed(CDlgFileBrowse* b)
{
    QStringList names;
    const QModelIndex root = b->FileView()->rootIndex();
    for (int i = 0; i < b->Model()->rowCount(root); ++i)
        names.append(b->Model()->index(i, 0, root).data().toString());
    return names;
}

class FileBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_shelf = m_dir.filePath(QStringLiteral("书架"));
        m_other = m_dir.filePath(QStringLiteral("other"));
        QDir().mkpath(m_shelf + QStringLiteral("/sub"));
        QDir().mkpath(m_other);
        for (const char* name : {"a.txt", "b.txt", "C.TXT", "notes.dat"})
            Touch(m_shelf + u'/' + QString::fromLatin1(name));
        Touch(m_other + QStringLiteral("/远方.txt"));

        m_window.resize(400, 500);
        m_esc = new QAction(&m_window);
        m_esc->setShortcut(Qt::Key_Escape);
        m_window.addAction(m_esc);
        m_browser = new CDlgFileBrowse(m_shelf, &m_window);
        m_window.setCentralWidget(m_browser);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        ASSERT_TRUE(WaitForListing({"sub", "a.txt", "b.txt", "C.TXT"}));
    }

    bool WaitForListing(std::initializer_list<const char*> names)
    {
        QStringList expected;
        for (const char* n : names)
            expected.append(QString::fromUtf8(n));
        return QTest::qWaitFor([&] { return Listed(m_browser) == expected; }, 5000);
    }
    QString In(const QString& folder, const char* name) { return folder + u'/' + QString::fromUtf8(name); }
    QPoint At(const QString& path)
    {
        return m_browser->FileView()->visualRect(m_browser->Model()->index(path)).center();
    }
    void Click(const QString& path)
    {
        QTest::mouseClick(m_browser->FileView()->viewport(), Qt::LeftButton, {}, At(path));
    }
    void DoubleClick(const QString& path)
    {
        Click(path);
        QTest::mouseDClick(m_browser->FileView()->viewport(), Qt::LeftButton, {}, At(path));
    }

    QTemporaryDir m_dir;
    QString m_shelf;
    QString m_other;
    QMainWindow m_window;
    QAction* m_esc = nullptr;
    CDlgFileBrowse* m_browser = nullptr;
};

TEST_F(FileBrowserTest, SelectionHighlightsEnterOrDoubleClickOpensBackspaceGoesUp)
{
    QSignalSpy opened(m_browser, &CDlgFileBrowse::OpenBookRequested);
    QListView* view = m_browser->FileView();
    const QString a = In(m_shelf, "a.txt");
    const QString b = In(m_shelf, "b.txt");
    // Moving through the folder, by mouse or keys, opens nothing.
    Click(a);
    Click(b);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(m_browser->SelectedPath(), b);
    EXPECT_EQ(opened.size(), 0);

    struct Step
    {
        const char* what;
        std::function<void()> act;
        QString folder; // shown afterwards
        QString open;   // asked to be opened; empty for none
    };
    const QString sub = In(m_shelf, "sub");
    Touch(In(sub, "c.txt"));
    const Step steps[] = {
        {"Enter on a book", [&] { QTest::keyClick(view, Qt::Key_Return); }, m_shelf, b},
        {"Enter again: asked again", [&] { QTest::keyClick(view, Qt::Key_Enter); }, m_shelf, b},
        {"double click on a book", [&] { DoubleClick(a); }, m_shelf, a},
        {"Enter on a folder",
         [&] {
             view->setCurrentIndex(m_browser->Model()->index(sub));
             QTest::keyClick(view, Qt::Key_Return);
         },
         sub,
         {}},
        {"Backspace", [&] { QTest::keyClick(view, Qt::Key_Backspace); }, m_shelf, {}},
        {"double click on a folder", [&] { DoubleClick(sub); }, sub, {}},
        {"Backspace in the list's viewport",
         [&] { QTest::keyClick(view->viewport(), Qt::Key_Backspace); },
         m_shelf,
         {}},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_browser->Model()->index(a).isValid(); }, 5000));
        const qsizetype before = opened.size();
        step.act();
        EXPECT_EQ(m_browser->CurrentFolder(), step.folder) << step.what;
        if (step.open.isEmpty()) {
            EXPECT_EQ(opened.size(), before) << step.what;
        } else {
            ASSERT_EQ(opened.size(), before + 1) << step.what;
            EXPECT_EQ(opened.last()[0].toString(), step.open) << step.what;
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Listed(m_browser).isEmpty(); }, 5000));
    }

    // Backspace in the folder box edits the text.
    QLineEdit* edit = m_browser->FolderBox()->lineEdit();
    edit->setFocus();
    edit->setText(QStringLiteral("/tmpx"));
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("/tmp"));
    EXPECT_EQ(m_browser->CurrentFolder(), m_shelf);

    // Up, then the folder box's own list brings the shelf back.
    QTest::mouseClick(m_browser->UpButton(), Qt::LeftButton);
    EXPECT_EQ(m_browser->CurrentFolder(), m_dir.path());
    EXPECT_EQ(m_browser->FolderBox()->currentText(), m_dir.path());
}

TEST_F(FileBrowserTest, TypeFilterShowsTextFilesOrEverything)
{
    m_browser->TypeBox()->setCurrentIndex(1);
    EXPECT_TRUE(WaitForListing({"sub", "a.txt", "b.txt", "C.TXT", "notes.dat"}));
    QSignalSpy opened(m_browser, &CDlgFileBrowse::OpenBookRequested);
    DoubleClick(In(m_shelf, "notes.dat")); // the reader decides what it can show
    EXPECT_EQ(opened.size(), 1);
    m_browser->SetTypeFilter(0);
    EXPECT_TRUE(WaitForListing({"sub", "a.txt", "b.txt", "C.TXT"}));
    EXPECT_EQ(m_browser->TypeBox()->itemText(0), QStringLiteral("Supported Files (*.txt)"));
    EXPECT_EQ(m_browser->TypeBox()->itemText(1), QStringLiteral("All Files(*.*)"));
}

TEST_F(FileBrowserTest, LocateFileSwitchesFolderAndSelectsWithoutOpening)
{
    QSignalSpy opened(m_browser, &CDlgFileBrowse::OpenBookRequested);
    DoubleClick(In(m_shelf, "a.txt"));
    const QString far = In(m_other, "远方.txt");
    m_browser->LocateFile(far);
    EXPECT_EQ(m_browser->CurrentFolder(), m_other);
    ASSERT_TRUE(WaitForListing({"远方.txt"}));
    QTRY_COMPARE(m_browser->SelectedPath(), far);
    EXPECT_EQ(opened.size(), 1);

    m_browser->LocateFile(m_dir.filePath(QStringLiteral("missing.txt")));
    m_browser->NavigateToFolder(m_dir.filePath(QStringLiteral("missing")));
    EXPECT_EQ(m_browser->CurrentFolder(), m_other);
}

TEST_F(FileBrowserTest, EnterAndEscStayInsideTheBrowser)
{
    QSignalSpy shortcut(m_esc, &QAction::triggered);
    QSignalSpy opened(m_browser, &CDlgFileBrowse::OpenBookRequested);
    m_browser->FileView()->setFocus();
    m_browser->FileView()->setCurrentIndex(m_browser->Model()->index(In(m_shelf, "a.txt")));
    QTest::keyClick(m_browser->FileView(), Qt::Key_Escape);
    EXPECT_EQ(shortcut.size(), 0);
    EXPECT_TRUE(m_window.isVisible());
    QTest::keyClick(m_browser->FileView(), Qt::Key_Return);
    EXPECT_EQ(opened.size(), 1);
    opened.clear();

    // Enter in the folder box goes to the typed folder, a wrong one is put back.
    QLineEdit* edit = m_browser->FolderBox()->lineEdit();
    edit->setFocus();
    edit->setText(m_other);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_browser->CurrentFolder(), m_other);
    edit->setText(m_dir.filePath(QStringLiteral("nowhere")));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_browser->CurrentFolder(), m_other);
    EXPECT_EQ(edit->text(), m_other);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(shortcut.size(), 0);
    EXPECT_EQ(opened.size(), 0);

    // Outside the browser Esc is the window's again.
    m_browser->hide();
    m_window.setFocus();
    QTest::keyClick(&m_window, Qt::Key_Escape);
    EXPECT_EQ(shortcut.size(), 1);
}

// The pane and the library commands in the reader.
class FileListPaneTest : public ReaderTest
{
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        m_shelf = m_dir.filePath(QStringLiteral("shelf"));
        QDir().mkpath(m_shelf);
    }
    bool StartWithShelves(const QStringList& rows)
    {
        const QString profile = m_dir.filePath(QStringLiteral("profile"));
        QDir().mkpath(profile);
        if (!rows.isEmpty() && !BookshelfList(profile + QStringLiteral("/Leafturner.blb")).Save(rows))
            return false;
        return Start();
    }
    CFileListCommand* Command() const { return Frame()->findChild<CFileListCommand*>(); }
    CDlgFileBrowse* Browser() const { return Command() ? Command()->Pane() : nullptr; }
    bool PaneShown() const { return Command() && Command()->IsPaneVisible(); }
    void Trigger(int id)
    {
        Frame()->UpdateCommandUI();
        Frame()->Action(id)->trigger();
        Settle();
    }
    bool Checked(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isChecked();
    }
    QString Book(const QString& name)
    {
        QString text;
        for (int i = 0; i < 50; ++i)
            text += QStringLiteral("春眠不觉晓，处处闻啼鸟。\n");
        const QString path = m_shelf + u'/' + name;
        Touch(path, text.toUtf8());
        return path;
    }

    QString m_shelf;
};

TEST_F(FileListPaneTest, CtrlWTogglesThePaneDockedLeftAtLeast350Wide)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(Browser(), nullptr);
    EXPECT_FALSE(Checked(Cmd::FileList));
    EXPECT_EQ(Frame()->Action(Cmd::FileList)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_EQ(Frame()->Action(Cmd::DefaultBookshelf)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    EXPECT_EQ(Frame()->Action(Cmd::DefaultBookshelf)->text(), QStringLiteral("缺省书架"));
    EXPECT_EQ(Frame()->Action(Cmd::LibraryManager)->text(), QStringLiteral("书库管理..."));

    Trigger(Cmd::FileList);
    ASSERT_NE(Browser(), nullptr);
    PaneHostBar* bar = Command()->Bar();
    EXPECT_EQ(bar->BarId(), 123);
    EXPECT_EQ(bar->Mode(), PaneMode::FileList);
    EXPECT_EQ(Frame()->dockWidgetArea(bar), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(Checked(Cmd::FileList));
    QTRY_VERIFY(bar->width() >= 350);
    EXPECT_EQ(bar->SizeVert().width(), std::max(350, Frame()->width() / 3));
    EXPECT_TRUE(Frame()->ActiveViewWidget()->hasFocus() || !QApplication::focusWidget());

    Trigger(Cmd::FileList);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(Checked(Cmd::FileList));
    Trigger(Cmd::FileList);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(Command()->Bar(), bar); // one pane for the whole run

    // Closed with its own button: the menu follows at once.
    bar->hide();
    EXPECT_FALSE(Frame()->Action(Cmd::FileList)->isChecked());
}

TEST_F(FileListPaneTest, ChoosingABookInThePaneOpensItInTheReader)
{
    const QString first = Book(QStringLiteral("第一.txt"));
    const QString second = Book(QStringLiteral("第二.txt"));
    ASSERT_TRUE(StartWithShelves({QStringLiteral("*") + m_shelf}));
    Trigger(Cmd::DefaultBookshelf);
    ASSERT_NE(Browser(), nullptr);
    EXPECT_EQ(Browser()->CurrentFolder(), m_shelf);
    QListView* view = Browser()->FileView();
    auto clickOn = [&](const QString& path) {
        QTRY_VERIFY(Browser()->Model()->index(path).isValid());
        const QPoint at = view->visualRect(Browser()->Model()->index(path)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    clickOn(first);
    QTRY_COMPARE(Frame()->Document()->PathName(), first);
    EXPECT_EQ(TheApp()->RecentFiles().value(0), first);
    clickOn(second);
    QTRY_COMPARE(Frame()->Document()->PathName(), second);
    EXPECT_EQ(Browser()->SelectedPath(), second);

    // 文件夹定位 in another folder's view selects the open book again.
    Browser()->NavigateToFolder(m_dir.path());
    EXPECT_TRUE(Frame()->Action(Cmd::LocateFolder)->isEnabled() || (Frame()->UpdateCommandUI(), true));
    Trigger(Cmd::LocateFolder);
    EXPECT_EQ(Browser()->CurrentFolder(), m_shelf);
    QTRY_COMPARE(Browser()->SelectedPath(), second);
    EXPECT_EQ(Frame()->Document()->PathName(), second);
}

TEST_F(FileListPaneTest, LocateFolderShowsAHiddenPaneWithTheBookSelected)
{
    const QString book = Book(QStringLiteral("书.txt"));
    ASSERT_TRUE(Start({book}));
    Trigger(Cmd::FileList);
    Trigger(Cmd::FileList); // hidden again
    ASSERT_FALSE(PaneShown());
    Trigger(Cmd::LocateFolder);
    EXPECT_TRUE(PaneShown());
    EXPECT_EQ(Browser()->CurrentFolder(), m_shelf);
    QTRY_COMPARE(Browser()->SelectedPath(), book);

    // Before the pane exists at all.
    Stop();
    ASSERT_TRUE(Start({book}));
    Trigger(Cmd::LocateFolder);
    ASSERT_TRUE(PaneShown());
    QTRY_COMPARE(Browser()->SelectedPath(), book);
}

TEST_F(FileListPaneTest, DefaultBookshelfAndTheManagerAtStartUp)
{
    // Loaded at start-up, trimmed; without a usable default 缺省书架 only shows the pane.
    ASSERT_TRUE(StartWithShelves({QStringLiteral("*") + m_dir.filePath(QStringLiteral("gone"))}));
    EXPECT_EQ(BookshelfList::Instance().DefaultBookshelf(), m_dir.filePath(QStringLiteral("gone")));
    Trigger(Cmd::DefaultBookshelf);
    ASSERT_TRUE(PaneShown());
    EXPECT_EQ(Browser()->CurrentFolder(), CFileListCommand::InitialFolder());
    EXPECT_TRUE(m_sink.Messages().isEmpty());

    // The manager's 打开 shows a row's folder in the pane; OK with no rows removes the file.
    Trigger(Cmd::FileList);
    ASSERT_FALSE(PaneShown());
    QTimer::singleShot(50, [this] {
        auto* dlg = qobject_cast<LibraryManagerDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->AddFolder(m_shelf));
        dlg->List()->selectRow(1);
        QTest::mouseClick(dlg->Button(QStringLiteral("打开")), Qt::LeftButton);
        EXPECT_TRUE(PaneShown());
        EXPECT_EQ(Browser()->CurrentFolder(), m_shelf);
        m_sink.QueueAnswer(MsgAnswer::Yes);
        QTest::mouseClick(dlg->Button(QStringLiteral("清空")), Qt::LeftButton);
        QTest::mouseClick(dlg->Button(QStringLiteral("确定")), Qt::LeftButton);
    });
    Trigger(Cmd::LibraryManager);
    EXPECT_FALSE(QFile::exists(BookshelfFilePath()));
    EXPECT_TRUE(BookshelfList::Instance().Entries().isEmpty());

    Stop();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(BookshelfList::Instance().Entries().isEmpty());
    Trigger(Cmd::DefaultBookshelf);
    EXPECT_TRUE(PaneShown());
}

} // namespace
