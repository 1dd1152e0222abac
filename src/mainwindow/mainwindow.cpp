#include "mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "about.h"
#include "app_icon.h"
#include "frame_view.h"
#include "loading.h"

namespace tessaron {

namespace {

constexpr int kOuterWidth = 550;
constexpr int kOuterHeight = 375;
constexpr int kPanelWidth = 210;
constexpr int kPanelMinWidth = 100;
constexpr int kTreeHeight = 165;
constexpr int kTreeMinHeight = 50;
constexpr int kSplitterSize = 3;
constexpr int kColumnWidth = 100;
constexpr int kStatusHeight = 19;
constexpr int kStatusPanel0Width = 75;
constexpr int kStatusPanel1Width = 50;

// The selection keeps its colours when the view loses the focus.
void KeepSelectionVisible(QWidget* view) {
    QPalette palette = view->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                 QKeySequence key = QKeySequence()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) action->setShortcut(key);
    return action;
}

QAction* AddSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

// The file a drop carries, when it carries exactly one existing local file
// (what the open dialog would let the user choose).
std::optional<QString> DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
    const QString path = urls.first().toLocalFile();
    if (!QFileInfo(path).isFile()) return std::nullopt;
    return path;
}

QLabel* MakeStatusPanel(int width) {
    auto* panel = new QLabel;
    panel->setMinimumWidth(width);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

}  // namespace

TForm1::TForm1(Dialogs& dialogs) : FDialogs(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setAcceptDrops(true);
    CreateLayout();
    CreateMenus();
    CreatePopupMenu();
    WireEvents();
}

TForm1::~TForm1() = default;

void TForm1::CreateLayout() {
    setWindowTitle(QStringLiteral("Tessaron Explorer v1.1"));
    setWindowIcon(AppIcon());
    QFont formFont = QApplication::font();
    formFont.setPointSize(8);
    setFont(formFont);
    resize(kOuterWidth, kOuterHeight);

    TreeView1 = new QTreeWidget;
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setMinimumHeight(kTreeMinHeight);
    KeepSelectionVisible(TreeView1);

    Image1 = new TFrameView;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);

    Splitter2 = new QSplitter(Qt::Vertical);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(kSplitterSize);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(TreeView1);
    Splitter2->addWidget(Image1);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);

    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMinimumWidth(kPanelMinWidth);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(Splitter2);

    ListModel = new TFrameListModel([this](TListItem& item) { ListView1Data(item); }, this);
    ListView1 = new QTableView;
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(ListModel);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setShowGrid(true);
    ListView1->setWordWrap(false);
    ListView1->setSortingEnabled(false);
    ListView1->setTabKeyNavigation(false);
    ListView1->verticalHeader()->hide();
    // Fixed row heights keep the list from measuring rows it does not draw.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(0, kColumnWidth);
    header->resizeSection(1, kColumnWidth);
    KeepSelectionVisible(ListView1);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(kSplitterSize);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(ListView1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);

    StatusBar = new QStatusBar;
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(kStatusHeight);
    StatusPanel0 = MakeStatusPanel(kStatusPanel0Width);
    StatusPanel1 = MakeStatusPanel(kStatusPanel1Width);
    StatusMessage = new QLabel;
    StatusBar->addWidget(StatusPanel0);
    StatusBar->addWidget(StatusPanel1);
    StatusBar->addWidget(StatusMessage, 1);
    setStatusBar(StatusBar);

    // The panel and the tree start at their designed sizes; the list takes
    // what is left.
    Splitter1->setSizes({kPanelWidth, kOuterWidth - kPanelWidth - kSplitterSize});
    Splitter2->setSizes({kTreeHeight, kOuterHeight});
}

void TForm1::CreateMenus() {
    MainMenu = new QMenuBar;
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    setMenuBar(MainMenu);

    mmFile = MainMenu->addMenu(QStringLiteral("&File"));
    mmFile->setObjectName(QStringLiteral("mmFile"));
    mmFile->setToolTipsVisible(true);
    mmFileOpen = AddItem(mmFile, "mmFileOpen", QStringLiteral("&Open"), Qt::Key_F3);
    mmFileOpen->setToolTip(QStringLiteral("Open File"));
    N1 = AddSeparator(mmFile, "N1");
    mmFileExport = AddItem(mmFile, "mmFileExport", QStringLiteral("&Export"), Qt::Key_F5);
    mmFileExportBlock = AddItem(mmFile, "mmFileExportBlock", QStringLiteral("Export &Block"), Qt::Key_F6);
    mmFileExportAll = AddItem(mmFile, "mmFileExportAll", QStringLiteral("Export &All"), Qt::Key_F7);
    N2 = AddSeparator(mmFile, "N2");
    mmFileExportRaw = AddItem(mmFile, "mmFileExportRaw", QStringLiteral("Export &Raw"), Qt::Key_F8);
    N5 = AddSeparator(mmFile, "N5");
    mmFileClose = AddItem(mmFile, "mmFileClose", QStringLiteral("&Close"));
    N3 = AddSeparator(mmFile, "N3");
    mmFileExit = AddItem(mmFile, "mmFileExit", QStringLiteral("E&xit"));

    mmOptions = MainMenu->addMenu(QStringLiteral("&Options"));
    mmOptions->setObjectName(QStringLiteral("mmOptions"));
    mmOptionsShowTS = AddItem(mmOptions, "mmOptionsShowTS", QStringLiteral("&Show Tiny Sprites"));
    mmOptionsShowTS->setCheckable(true);
    N4 = AddSeparator(mmOptions, "N4");
    ExportPath1 = AddItem(mmOptions, "ExportPath1", QStringLiteral("Export &Path..."));

    mmHelp = MainMenu->addMenu(QStringLiteral("&Help"));
    mmHelp->setObjectName(QStringLiteral("mmHelp"));
    mmHelpAbout = AddItem(mmHelp, "mmHelpAbout", QStringLiteral("&About..."), Qt::Key_F1);
}

void TForm1::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ZoomGroup = new QActionGroup(this);
    ZoomGroup->setExclusive(true);
    struct ZoomItem {
        QAction** action;
        const char* name;
        const char* caption;
        FrameZoom zoom;
    };
    const ZoomItem items[] = {
        {&Autosize, "Autosize", "&Auto size", FrameZoom::AutoSize},
        {&x8size, "x8size", "x8 size", FrameZoom::X8},
        {&x4szie, "x4szie", "x4 szie", FrameZoom::X4},
        {&x2size, "x2size", "x2 size", FrameZoom::X2},
        {&Fullsize, "Fullsize", "&Full size", FrameZoom::FullSize},
        {&N12size, "N12size", "1/2 size", FrameZoom::Half},
    };
    for (const ZoomItem& item : items) {
        QAction* action = AddItem(PopupMenu1, item.name, QString::fromLatin1(item.caption));
        action->setCheckable(true);
        action->setData(int(item.zoom));
        ZoomGroup->addAction(action);
        *item.action = action;
    }
    Autosize->setChecked(true);
}

void TForm1::WireEvents() {
    connect(mmFileOpen, &QAction::triggered, this, Guarded([this] { mmFileOpenClick(); }));
    connect(mmFileExport, &QAction::triggered, this, Guarded([this] { mmFileExportClick(); }));
    connect(mmFileExportBlock, &QAction::triggered, this, Guarded([this] { mmFileExportBlockClick(); }));
    connect(mmFileExportAll, &QAction::triggered, this, Guarded([this] { mmFileExportAllClick(); }));
    connect(mmFileExportRaw, &QAction::triggered, this, Guarded([this] { mmFileExportRawClick(); }));
    connect(mmFileClose, &QAction::triggered, this, Guarded([this] { mmFileCloseClick(); }));
    connect(mmFileExit, &QAction::triggered, this, Guarded([this] { mmFileExitClick(); }));
    connect(mmOptionsShowTS, &QAction::triggered, this, Guarded([this] { mmOptionsShowTSClick(); }));
    connect(ExportPath1, &QAction::triggered, this, Guarded([this] { ExportPath1Click(); }));
    connect(mmHelpAbout, &QAction::triggered, this, Guarded([this] { mmHelpAboutClick(); }));

    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, Guarded([this] { TreeView1Change(); }));
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                RunHandler([&] {
                    for (const QItemSelectionRange& range : deselected)
                        for (int row = range.top(); row <= range.bottom(); ++row)
                            ListView1SelectItem(row, false);
                    for (const QItemSelectionRange& range : selected)
                        for (int row = range.top(); row <= range.bottom(); ++row)
                            ListView1SelectItem(row, true);
                });
            });

    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(Image1->mapToGlobal(pos)); });
    connect(ZoomGroup, &QActionGroup::triggered, this,
            [this](QAction* action) { Image1->SetZoom(FrameZoom(action->data().toInt())); });
}

void TForm1::FormCreate() {
    FArchive.FLoaded = false;
    FShowTiny = false;
    FExportPath.clear();
    EnableArchiveCommands(FArchive.FLoaded);
    // The sprite palette is a constant of the format core: nothing to build.
}

void TForm1::showEvent(QShowEvent* event) {
    TFormOf<QMainWindow>::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // The outer size (frame included) is the designed one, and the window
    // starts centred on the screen.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - kOuterWidth) / 2, area.top() + (area.height() - kOuterHeight) / 2);
    }
}

void TForm1::EnableArchiveCommands(bool enabled) {
    mmFileExport->setEnabled(enabled);
    mmFileExportBlock->setEnabled(enabled);
    mmFileExportAll->setEnabled(enabled);
    mmFileExportRaw->setEnabled(enabled);
    mmFileClose->setEnabled(enabled);
    mmOptionsShowTS->setChecked(FShowTiny);
}

OpenFileRequest TForm1::OpenDialogRequest() {
    OpenFileRequest request;
    request.NameFilters = {QStringLiteral("FLX Files (*.flx)"), QStringLiteral("Shapes Files (shapes.flx)"),
                           QStringLiteral("All Files (*.*)")};
    request.SelectedFilter = 0;
    return request;
}

void TForm1::mmFileOpenClick() {
    const std::optional<QString> chosen = FDialogs.OpenFile(this, OpenDialogRequest());
    if (!chosen) return;
    OpenChosenFile(*chosen);
}

void TForm1::OpenChosenFile(const QString& path) {
    repaint();  // the area under the closed dialog, before the work starts

    // The loading window disables this window while it exists, on every way
    // out of here, an escaping error included.
    FormPtr<TForm2> loading = CreateForm<TForm2>();
    loading->show();
    loading->repaint();
    FFileName = QFile::encodeName(path).toStdString();
    FArchive.FLoaded = FArchive.OpenArchive(FFileName, *this);
    EnableArchiveCommands(FArchive.FLoaded);
    loading->hide();
    loading.reset();
    activateWindow();  // back from the loading window
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFile(event->mimeData());
    if (!path) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: indexing lets events run, and the
    // program the file came from waits until the drop is answered.  By then
    // another command may have disabled the window; indexing must not start
    // inside it.
    QMetaObject::invokeMethod(
        this, Guarded([this, file = *path] {
            if (isEnabled()) OpenChosenFile(file);
        }),
        Qt::QueuedConnection);
}

void TForm1::mmFileCloseClick() { FArchive.CloseArchive(*this); }

void TForm1::mmFileExitClick() { close(); }

void TForm1::mmHelpAboutClick() {
    if (!Form3) return;
    CentreOn(*Form3, *this);
    Form3->exec();
}

int TForm1::SelectedRow() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int TForm1::ListRowCount() const { return ListModel->RowCount(); }

QString TForm1::StatusText(int panel) const {
    return panel == 0 ? StatusPanel0->text() : StatusPanel1->text();
}

// --- ArchiveViews -------------------------------------------------------------

void TForm1::BeginTreeUpdate() { TreeView1->setUpdatesEnabled(false); }

void TForm1::EndTreeUpdate() { TreeView1->setUpdatesEnabled(true); }

TreeItemId TForm1::AddRootItem(const std::string& text) {
    auto* item = new QTreeWidgetItem(TreeView1, {QFile::decodeName(QByteArray::fromStdString(text))});
    return reinterpret_cast<TreeItemId>(item);
}

TreeItemId TForm1::AddChildItem(TreeItemId parent, const std::string& text) {
    auto* item = new QTreeWidgetItem(reinterpret_cast<QTreeWidgetItem*>(parent),
                                     {QString::fromStdString(text)});
    return reinterpret_cast<TreeItemId>(item);
}

void TForm1::ClearTree() { TreeView1->clear(); }

void TForm1::BeginListUpdate() { ListView1->setUpdatesEnabled(false); }

void TForm1::EndListUpdate() { ListView1->setUpdatesEnabled(true); }

void TForm1::ClearFrameList() { ListModel->SetRowCount(0); }

void TForm1::ClearImage() {
    Image1->Clear();
    StatusMessage->clear();
}

void TForm1::SetStatusText(int panel, const std::string& text) {
    (panel == 0 ? StatusPanel0 : StatusPanel1)->setText(QString::fromStdString(text));
}

void TForm1::ProcessPendingMessages() { tessaron::ProcessPendingMessages(); }

}  // namespace tessaron
