// CDlgFileBrowse: folder navigation, the type filter, opening on selection and the reader's requests.
#include "ui/dlgfilebrowse.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kHistoryLimit = 64;

// Without an icon theme files and folders would show no icon at all.
class FallbackIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override
    {
        const QIcon themed = QFileIconProvider::icon(info);
        if (!themed.isNull())
            return themed;
        return QApplication::style()->standardIcon(info.isDir() ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
};

QString CleanFolder(const QString& folder)
{
    QString path = folder.trimmed();
    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    return QDir::cleanPath(QDir(path).absolutePath());
}

} // namespace

CDlgFileBrowse::CDlgFileBrowse(const QString& initialFolder, QWidget* host) : QWidget(host)
{
    setObjectName(QStringLiteral("FileBrowser"));

    m_iconProvider = std::make_unique<FallbackIconProvider>();
    m_model = new QFileSystemModel(this);
    m_model->setIconProvider(m_iconProvider.get());
    m_model->setReadOnly(true);
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setNameFilterDisables(false);
    m_model->setNameFilters({kTextFilter});

    m_folderBox = new QComboBox(this);
    m_folderBox->setObjectName(QStringLiteral("FolderBox"));
    m_folderBox->setEditable(true);
    m_folderBox->setInsertPolicy(QComboBox::NoInsert);
    m_folderBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_folderBox->setMinimumContentsLength(8);
    m_folderBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_back = new QToolButton(this);
    m_back->setObjectName(QStringLiteral("BackButton"));
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_back->setToolTip(QStringLiteral("后退"));
    m_back->setAutoRaise(true);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("UpButton"));
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setToolTip(QStringLiteral("向上一级"));
    m_up->setAutoRaise(true);

    m_view = new QListView(this);
    m_view->setObjectName(QStringLiteral("FileView"));
    m_view->setModel(m_model);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setUniformItemSizes(true);
    m_view->setIconSize(QSize(16, 16));
    m_view->setTextElideMode(Qt::ElideMiddle);

    auto* typeLabel = new QLabel(QStringLiteral("文件类型:"), this);
    m_typeBox = new QComboBox(this);
    m_typeBox->setObjectName(QStringLiteral("TypeBox"));
    m_typeBox->addItems({QStringLiteral("Supported Files (*.txt)"), QStringLiteral("All Files(*.*)")});
    m_typeBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    typeLabel->setBuddy(m_typeBox);

    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(m_folderBox, 1);
    top->addWidget(m_back);
    top->addWidget(m_up);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(typeLabel);
    bottom->addWidget(m_typeBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);

    connect(m_back, &QToolButton::clicked, this, &CDlgFileBrowse::GoBack);
    connect(m_up, &QToolButton::clicked, this, &CDlgFileBrowse::GoUp);
    connect(m_folderBox, &QComboBox::activated, this,
            [this](int index) { ShowFolder(m_folderBox->itemData(index).toString(), true); });
    connect(m_typeBox, &QComboBox::currentIndexChanged, this, &CDlgFileBrowse::SetTypeFilter);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CDlgFileBrowse::OnSelectionChanged);
    connect(m_view, &QListView::doubleClicked, this, &CDlgFileBrowse::Activate);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &CDlgFileBrowse::OnDirectoryLoaded);

    // Enter and Esc are caught before any widget or shortcut of the window sees them.
    qApp->installEventFilter(this);

    if (!ShowFolder(initialFolder, false))
        ShowFolder(QDir::homePath(), false);
}

CDlgFileBrowse::~CDlgFileBrowse()
{
    qApp->removeEventFilter(this);
    delete m_model;
}

QString CDlgFileBrowse::SelectedPath() const
{
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_model->filePath(selected.constFirst());
}

bool CDlgFileBrowse::ShowFolder(const QString& folder, bool byUser)
{
    if (folder.isEmpty())
        return false;
    const QString clean = CleanFolder(folder);
    if (!QFileInfo(clean).isDir())
        return false;
    if (byUser) {
        m_lastOpened.clear();
        m_pendingSelect.clear();
    }
    if (clean != m_folder) {
        if (!m_folder.isEmpty()) {
            m_history.append(m_folder);
            while (m_history.size() > kHistoryLimit)
                m_history.removeFirst();
        }
        const bool wasSuppressed = m_suppress;
        m_suppress = true;
        m_view->selectionModel()->clear();
        m_folder = clean;
        m_view->setRootIndex(m_model->setRootPath(clean));
        m_view->scrollToTop();
        m_suppress = wasSuppressed;
    }
    FillFolderBox();
    m_back->setEnabled(!m_history.isEmpty());
    m_up->setEnabled(m_folder != QStringLiteral("/"));
    return true;
}

void CDlgFileBrowse::GoBack()
{
    while (!m_history.isEmpty()) {
        const QString previous = m_history.takeLast();
        const int kept = int(m_history.size());
        if (ShowFolder(previous, true)) {
            // Going back is not a step forward: drop what ShowFolder just recorded.
            while (m_history.size() > kept)
                m_history.removeLast();
            m_back->setEnabled(!m_history.isEmpty());
            return;
        }
    }
    m_back->setEnabled(false);
}

void CDlgFileBrowse::GoUp()
{
    QDir dir(m_folder);
    if (dir.cdUp())
        ShowFolder(dir.absolutePath(), true);
}

void CDlgFileBrowse::GoToTyped()
{
    const QString typed = m_folderBox->currentText();
    if (!ShowFolder(typed, true)) {
        QApplication::beep();
        m_folderBox->setEditText(m_folder);
    }
    m_folderBox->lineEdit()->selectAll();
}

void CDlgFileBrowse::NavigateToFolder(const QString& folder)
{
    if (m_suppress)
        return;
    m_suppress = true;
    ShowFolder(folder, false);
    m_suppress = false;
}

void CDlgFileBrowse::LocateFile(const QString& path)
{
    if (m_suppress || path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    m_suppress = true;
    const QString file = info.absoluteFilePath();
    ShowFolder(info.absolutePath(), false);
    m_pendingSelect = file;
    SelectPending();
    // The reader's current book: selecting it again opens nothing, any other file opens.
    m_lastOpened = file;
    m_suppress = false;
}

void CDlgFileBrowse::SelectPending()
{
    if (m_pendingSelect.isEmpty())
        return;
    const QModelIndex index = m_model->index(m_pendingSelect);
    if (!index.isValid() || index.parent() != m_view->rootIndex())
        return;
    const bool wasSuppressed = m_suppress;
    m_suppress = true;
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(index, QAbstractItemView::EnsureVisible);
    m_suppress = wasSuppressed;
}

void CDlgFileBrowse::OnDirectoryLoaded(const QString& folder)
{
    if (m_pendingSelect.isEmpty() || CleanFolder(folder) != m_folder)
        return;
    // The model sorts what it read after this signal; select and scroll once it has.
    QTimer::singleShot(0, this, [this] {
        SelectPending();
        m_pendingSelect.clear();
    });
}

void CDlgFileBrowse::OnSelectionChanged()
{
    // The user's own choice wins over a selection still waiting for its folder to be read.
    if (!m_suppress)
        m_pendingSelect.clear();
}

void CDlgFileBrowse::Activate(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString path = m_model->filePath(index);
    if (QFileInfo(path).isDir())
        ShowFolder(path, true);
    else
        RequestOpen(path);
}

void CDlgFileBrowse::RequestOpen(const QString& path)
{
    // Asked every time: the reader keeps the place of a book already open.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    m_lastOpened = path;
    emit OpenBookRequested(path);
}

void CDlgFileBrowse::SetTypeFilter(int index)
{
    if (m_typeBox->currentIndex() != index) {
        m_typeBox->setCurrentIndex(index); // comes back here through its signal
        return;
    }
    m_model->setNameFilters(index == 0 ? QStringList{kTextFilter} : QStringList{});
}

void CDlgFileBrowse::SetPlaces(const QStringList& folders)
{
    m_places = folders;
    FillFolderBox();
}

void CDlgFileBrowse::FillFolderBox()
{
    const QSignalBlocker block(m_folderBox);
    m_folderBox->clear();
    const QIcon folderIcon = m_iconProvider->icon(QFileIconProvider::Folder);
    QStringList listed;
    // The folder shown, then each folder above it.
    for (QString path = m_folder; !path.isEmpty();) {
        listed.append(path);
        if (path == QStringLiteral("/"))
            break;
        QDir dir(path);
        if (!dir.cdUp())
            break;
        path = dir.absolutePath();
    }
    for (const QString& place : std::as_const(m_places)) {
        const QString clean = CleanFolder(place);
        if (!listed.contains(clean) && QFileInfo(clean).isDir())
            listed.append(clean);
    }
    for (const QString& path : std::as_const(listed))
        m_folderBox->addItem(folderIcon, QDir::toNativeSeparators(path), path);
    m_folderBox->setCurrentIndex(0);
    m_folderBox->setEditText(m_folder);
}

bool CDlgFileBrowse::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !(widget == this || isAncestorOf(widget)))
        return false;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    const bool inList = widget == m_view || widget == m_view->viewport();
    if (inList && key == Qt::Key_Backspace && keyEvent->modifiers() == Qt::NoModifier) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        GoUp();
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken from the window's shortcuts; the key press that follows is handled or dropped below.
        event->accept();
        return true;
    }
    if (key != Qt::Key_Escape) {
        if (widget == m_folderBox->lineEdit())
            GoToTyped();
        else if (inList)
            Activate(m_view->currentIndex());
    }
    return true;
}
