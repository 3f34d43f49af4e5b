// The main window: the wizard's pages over one recovery context. It shows
// the controller's state and forwards the user's actions; controls carry
// their dialog ids in their object names ("id1058" is "Next").
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "search/recovery_context.h"
#include "ui/gui_reporting.h"
#include "ui/wizard_controller.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace datrevo::ui {

inline constexpr const char* kBackgroundStyle = "background-color: rgb(244, 251, 254);";

class MainWindow : public QDialog {
    Q_OBJECT
public:
    // `images` are listed as disks after the removable ones.
    explicit MainWindow(std::vector<std::string> images, QWidget* parent = nullptr);
    ~MainWindow() override;

    WizardController& wizard() { return *controller_; }
    // Tests answer the questions instead of message boxes.
    void setPrompter(Prompter* prompter) { prompter_.setTarget(prompter); }
    // Lists the folder of a result item in the file list.
    void showFolder(ItemId item);

private:
    void buildControls();
    void showState();
    void showSearchDisplay();
    void fillTree();
    void fillResultTree();
    void treeItemClicked(QTreeWidgetItem* item);
    void treeItemChanged(QTreeWidgetItem* item, int column);
    void syncCheckStates();
    void saveLogClicked();
    void loadLogClicked();

    GuiObserver observer_;
    GuiPrompter messageBoxes_;
    ForwardingPrompter prompter_;
    RecoveryContext context_;
    std::unique_ptr<WizardController> controller_;

    QTreeWidget* tree_ = nullptr;
    QTableWidget* details_ = nullptr;
    QTreeWidget* fileList_ = nullptr;
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
    QLabel* drive_ = nullptr;
    QLabel* fileSystem_ = nullptr;
    QLabel* criteria_ = nullptr;
    QLabel* range_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLabel* folders_ = nullptr;
    QLabel* bootLabel_ = nullptr;
    QLabel* bootSectors_ = nullptr;
    QProgressBar* progress_ = nullptr;
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
