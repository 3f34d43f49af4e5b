// The main window: the wizard's pages over one recovery context. It shows
// the controller's state and forwards the user's actions; controls carry
// their dialog ids in their object names ("id1058" is "Next").
#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "browse/file_row.h"
#include "browse/populate_task.h"
#include "recovery/recovery_context.h"
#include "ui/dialogs/link_actions.h"
#include "ui/gui_reporting.h"
#include "ui/save_dialogs.h"
#include "ui/wizard_controller.h"

class QComboBox;
class QTimer;
class QMenu;
class QLabel;
class QLayout;
class QVBoxLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace datrevo::ui {

inline constexpr const char* kBackgroundStyle = "background-color: rgb(244, 251, 254);";
inline constexpr const char* kSaveRecoveryQuestion = "Do you want to save the recovery?";
inline constexpr const char* kExitQuestion = "Do you want to exit from Vantorrel Datrevo?";
inline constexpr const char* kQuitQuestion = "Do you want to Exit?";
// The window's size and place between runs (QSettings), and its size on the
// first run, no larger than the screen's free area.
inline constexpr const char* kGeometryKey = "mainWindow/geometry";
inline constexpr int kPreferredWidth = 1000;
inline constexpr int kPreferredHeight = 680;

class SaveRunner;
class StripedSortableList;
class TextProgressBar;
class PopulateWindow;

// Folders whose listing walks more rows than this (the folder-node list, and
// on NTFS the entry table) are listed on a worker behind the populate window.
inline constexpr std::size_t kPopulateOnWorkerRows = 5000;
// Result trees of more items than this show the tree-loading bar while the
// tree control is filled.
inline constexpr std::size_t kTreeLoadingBarItems = 2000;
inline constexpr const char* kTreeLoadingText = "Loading tree, Please Wait";

// The file "Save Log" writes (`saving`) or "Load Log" reads, offered in
// `folder`; an empty text when the user cancels.
using LogPathProvider = std::function<QString(bool saving, const QString& folder)>;

class MainWindow : public QDialog {
    Q_OBJECT
public:
    // `images` are listed as disks after the removable ones.
    explicit MainWindow(std::vector<std::string> images, QWidget* parent = nullptr);
    ~MainWindow() override;

    WizardController& wizard() { return *controller_; }
    // Tests answer the questions instead of message boxes.
    // Null puts the message boxes back.
    void setPrompter(Prompter* prompter) {
        prompter_.setTarget(prompter != nullptr ? prompter : &messageBoxes_);
    }
    // Lists the folder of a result item in the file list.
    void showFolder(ItemId item);

    // Seams: the save's dialogs, the log file dialogs, and the maker's web
    // page opened on exit (nothing by default).
    void setSaveDialogs(SaveDialogs* dialogs);
    void setLogPathProvider(LogPathProvider provider) { logPaths_ = std::move(provider); }
    void setWebPageOpener(std::function<void()> opener) { openWebPage_ = std::move(opener); }
    // What the links, Help and the dialogs they open do (the desktop's
    // programs by default).
    void setLinkActions(LinkActions links) { links_ = std::move(links); }
    // Shown when the inventory finds no disk (the no-disk dialog by default).
    void setNoDiskNotice(std::function<void()> notice) { noDiskNotice_ = std::move(notice); }
    SaveRunner& saveRunner() { return *saveRunner_; }
    // Lists on a worker whenever the listing walks more than `rows` rows.
    void setPopulateThreshold(std::size_t rows) { populateThreshold_ = rows; }
    // A list fill runs on the worker.
    bool populating() const { return populating_; }

    // "Save" (button and the tree's menu): the tree's check marks when any is
    // set, else the selected rows of the file list. The file list's "Save":
    // its selected rows. "Save All": the whole result.
    void saveSelected();
    void saveListRows();
    void saveAll();
    // "Open" on the first selected row of the file list.
    void openSelectedRow();
    // The close request (Exit, Esc, the close box): the exit questions.
    void reject() override;
    // The application's exit command (Ctrl+Q): "Do you want to Exit?".
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Return means "Next" while it is offered; Escape does nothing (Exit and
    // the close box leave).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    QLayout* buildToolbar();
    QLayout* buildTreePanel();
    void buildDetailsAndFileList(QVBoxLayout* right);
    QWidget* buildPartitionPage();
    QWidget* buildLostSearchBar();
    QWidget* buildSearchPage();
    QLayout* buildModeAndLogFolderRow();
    // Closes the open questions, then stops every worker and waits for it.
    void stopEverything();
    void showState();
    void showSearchDisplay();
    void fillTree();
    void fillResultTree();
    void treeCurrentChanged(QTreeWidgetItem* item);
    std::vector<SelectedFileRow> selectedListRows() const;
    void startSave(SaveSelection selection);
    void scheduleNoDiskNotice();
    void fitNameColumn();
    void restoreWindowGeometry();
    void storeWindowGeometry();
    void treeItemChanged(QTreeWidgetItem* item, int column);
    void syncCheckStates();
    void saveLogClicked();
    void loadLogClicked();
    void buildMenus();
    void openRow(QTreeWidgetItem* row);
    void refreshResultTexts();
    void folderExpanded(QTreeWidgetItem* item);
    void folderCollapsed(QTreeWidgetItem* item);
    void showFolderPicture(ItemId id);
    void setFolderImage(ItemId id, int image);
    bool busyWithResult() const;
    void startPopulation(ItemId item);
    void populated(ItemId item, int generation, const std::vector<FileRow>& rows);
    void showRows(ItemId item, const std::vector<FileRow>& rows);
    void showNoDiskNotice();
    void showAbout();
    void setTreeIcon(QTreeWidgetItem* item, int image);
    QIcon pictureIcon(const char* resource);
    QIcon iconForFile(const QString& name);

    GuiObserver observer_;
    GuiPrompter messageBoxes_;
    ForwardingPrompter prompter_;
    RecoveryContext context_;
    std::unique_ptr<WizardController> controller_;
    SaveRunner* saveRunner_ = nullptr;  // a child of the window
    LogPathProvider logPaths_;
    std::function<void()> openWebPage_;
    LinkActions links_;
    std::function<void()> noDiskNotice_;
    QMenu* treeMenu_ = nullptr;        // menu 253
    QMenu* listMenu_ = nullptr;        // menu 252
    ItemId shownFolder_ = kNoItem;     // the folder the file list shows
    ItemId listedFolder_ = kNoItem;    // the folder last asked for (its rows may be coming)
    ItemId expandFillItem_ = kNoItem;  // listed because the Right arrow expanded it
    ItemId openedFromList_ = kNoItem;  // listed by "Open" on its row
    bool refillOnExpand_ = false;      // the Right arrow went down in the result tree
    std::unordered_map<ItemId, QTreeWidgetItem*> resultItems_;
    QHash<QString, QIcon> iconsBySuffix_;
    QHash<QString, QIcon> pictureIcons_;
    bool exitAsked_ = false;
    bool noDiskPending_ = false;
    bool noDiskShowing_ = false;
    int inventoriesSeen_ = 0;
    std::optional<WizardPage> focusedPage_;  // the page the tree took the focus on
    PopulateTask populate_;
    PopulateWindow* populateWindow_ = nullptr;
    std::size_t populateThreshold_ = kPopulateOnWorkerRows;
    bool populating_ = false;
    int populateGeneration_ = 0;

    QTreeWidget* tree_ = nullptr;
    QWidget* treeLoading_ = nullptr;  // label 1185 and bar 1183
    TextProgressBar* treeLoadingBar_ = nullptr;
    QTableWidget* details_ = nullptr;
    StripedSortableList* fileList_ = nullptr;
    QLabel* guide_ = nullptr;
    QLabel* modeText_ = nullptr;
    QRadioButton* standard_ = nullptr;
    QRadioButton* advance_ = nullptr;
    QComboBox* typeChoice_ = nullptr;
    QLineEdit* startField_ = nullptr;
    QLineEdit* endField_ = nullptr;
    QLineEdit* logFolder_ = nullptr;
    QWidget* partitionFields_ = nullptr;
    QWidget* searchPage_ = nullptr;
    QWidget* lostSearch_ = nullptr;  // label 1072 and bar 1070
    TextProgressBar* lostProgress_ = nullptr;
    QLabel* drive_ = nullptr;
    QLabel* fileSystem_ = nullptr;
    QLabel* criteria_ = nullptr;
    QLabel* range_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLabel* folders_ = nullptr;
    QLabel* bootLabel_ = nullptr;
    QLabel* bootSectors_ = nullptr;
    TextProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* currentFolder_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* saveLog_ = nullptr;
    QPushButton* loadLog_ = nullptr;
    QPushButton* stopSearch_ = nullptr;
    QPushButton* searchMore_ = nullptr;
    QPushButton* stopSearching_ = nullptr;
    QPushButton* refresh_ = nullptr;

    // What the tree shows now, so it is rebuilt only when that changes.
    WizardPage treePage_ = WizardPage::Disks;
    std::vector<std::string> treeTexts_;
    bool treeHoldsResult_ = false;
    bool fillingTree_ = false;
};

}  // namespace datrevo::ui
