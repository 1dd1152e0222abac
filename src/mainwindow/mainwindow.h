// TForm1, the main window: owner of the open archive and of every view of
// it (block tree, frame picture, frame list, status bar), and of the menus
// from which all commands start.
#pragma once

#include <cstdint>
#include <string>

#include <QMainWindow>

#include "archive.h"
#include "dialogs.h"
#include "dynamic_array.h"
#include "form.h"
#include "frame_list_model.h"
#include "views.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessaron {

class TForm3;
class TFrameView;

class TForm1 : public TFormOf<QMainWindow>, public ArchiveViews {
public:
    // `dialogs` must outlive the window.
    explicit TForm1(Dialogs& dialogs);
    ~TForm1() override;

    // --- Components --------------------------------------------------------
    QMenuBar* MainMenu;
    QMenu* mmFile;
    QAction* mmFileOpen;
    QAction* N1;
    QAction* mmFileExport;
    QAction* mmFileExportBlock;
    QAction* mmFileExportAll;
    QAction* N2;
    QAction* mmFileExportRaw;
    QAction* N5;
    QAction* mmFileClose;
    QAction* N3;
    QAction* mmFileExit;
    QMenu* mmOptions;
    QAction* mmOptionsShowTS;
    QAction* N4;
    QAction* ExportPath1;
    QMenu* mmHelp;
    QAction* mmHelpAbout;

    QWidget* Panel1;
    QTreeWidget* TreeView1;
    QSplitter* Splitter2;  // between TreeView1 and Image1
    TFrameView* Image1;
    QSplitter* Splitter1;  // between Panel1 and ListView1
    QTableView* ListView1;
    TFrameListModel* ListModel;  // ListView1's rows
    QStatusBar* StatusBar;
    QLabel* StatusPanel0;  // "57 object(s)"
    QLabel* StatusPanel1;  // "12 sprite(s)"
    QLabel* StatusMessage; // why a frame cannot be shown

    QMenu* PopupMenu1;
    QActionGroup* ZoomGroup;
    QAction* Autosize;
    QAction* x8size;
    QAction* x4szie;
    QAction* x2size;
    QAction* Fullsize;
    QAction* N12size;

    // --- State, in declaration order ----------------------------------------
    // The open archive: FLoaded, FFile, FHeader, FBlocks, FBlockCount,
    // FBlockInfo and FBlockIndex live in it.
    TArchive FArchive;
    bool FShowTiny = false;
    std::string FFileName;
    DynamicArray<uint32_t> FFrameIndex;  // frame numbers listed for FCurBlock
    uint32_t FFrameCount = 0;
    uint32_t FCurBlock = 0;
    std::string FExportPath;  // the export folder, ending in '/' once chosen

    Dialogs& FDialogs;
    TForm3* Form3 = nullptr;  // the About window, made by the application entry

    // --- Commands -------------------------------------------------------------
    void EnableArchiveCommands(bool enabled) override;
    void mmFileOpenClick();
    // The steps of Open once a file is chosen (by the dialog, or by dropping
    // it onto the window): loading window, indexing, archive commands.
    void OpenChosenFile(const QString& path);
    void mmFileCloseClick();
    void mmFileExitClick();
    void mmHelpAboutClick();

    // Export commands and the export folder (export_commands.cpp).
    void mmFileExportClick();
    void mmFileExportRawClick();
    void mmFileExportBlockClick();
    void mmFileExportAllClick();
    void ExportPath1Click();
    // Lets the user choose the export folder, opening at `Directory`.  True
    // when a folder was accepted (FExportPath then holds it).
    bool SelectExportPath(const std::string& Directory);
    // The prologue of every export command: makes sure a folder is set and
    // gives the folder text to write into.  False: the command ends at once.
    bool PrepareExportPath(std::string& folder);
    bool ReadSelectedFrame(const char* extension, bool decode, Spr& sprite, std::string& name);

    // --- Browsing (browsing.cpp) ----------------------------------------------
    void TreeView1Change();
    void mmOptionsShowTSClick();
    void ListView1Data(TListItem& item);
    void ListView1SelectItem(int row, bool selected);

    // --- Reading the views ----------------------------------------------------
    // The selected row of the frame list, or -1.
    int SelectedRow() const;
    // Rows of the frame list (not FFrameCount: see TreeView1Change).
    int ListRowCount() const;
    QString StatusText(int panel) const;

    // The open dialog's settings.
    static OpenFileRequest OpenDialogRequest();

    // --- ArchiveViews: the steps through which indexing reaches the views ------
    void BeginTreeUpdate() override;
    void EndTreeUpdate() override;
    TreeItemId AddRootItem(const std::string& text) override;
    TreeItemId AddChildItem(TreeItemId parent, const std::string& text) override;
    void ClearTree() override;
    void BeginListUpdate() override;
    void EndListUpdate() override;
    void ClearFrameList() override;
    void ClearImage() override;
    void SetStatusText(int panel, const std::string& text) override;
    void ProcessPendingMessages() override;

protected:
    void FormCreate() override;
    void showEvent(QShowEvent* event) override;
    // An archive file dropped onto the window is opened as Open opens it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateLayout();
    void CreateMenus();
    void CreatePopupMenu();
    void WireEvents();
    void ShowFrameProblem(const QString& text);

    bool placed_ = false;  // centred on the screen at the first showing
};

}  // namespace tessaron
