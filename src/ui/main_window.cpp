#include "ui/main_window.h"

#include <climits>

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "browse/file_rows.h"
#include "browse/open_row.h"
#include "base/volume_kind.h"
#include "search/result_folder_lister.h"
#include "search/search_setup.h"
#include "ui/controls/bitmap_button.h"
#include "ui/controls/check_tree.h"
#include "ui/controls/colon_column.h"
#include "ui/controls/colored_list.h"
#include "ui/controls/folder_control.h"
#include "ui/controls/link_label.h"
#include "ui/controls/text_progress.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/info_dialog.h"
#include "ui/dialogs/ipod_connect.h"
#include "ui/help_file.h"
#include "ui/images.h"
#include "ui/populate_window.h"
#include "ui/save_runner.h"

namespace datrevo::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

constexpr int kItemIdRole = Qt::UserRole + 1;
constexpr int kFolderRowRole = Qt::UserRole + 2;  // a file-list row that shows a folder

ItemId IdOf(const QTreeWidgetItem* item) {
    return static_cast<ItemId>(item->data(0, kItemIdRole).toULongLong());
}

QAction* MenuAction(QMenu* menu, const char* text, int command) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QStringLiteral("id%1").arg(command));
    return action;
}

// "Folders Found\t\t\t:" as "Folders Found": the colon has a column of its own.
QString WithoutTabs(const QString& text) {
    const qsizetype tab = text.indexOf('\t');
    QString name = tab < 0 ? text : text.left(tab);
    name = name.trimmed();
    if (name.endsWith(':')) name.chop(1);
    return name.trimmed();
}

// A toolbar button: its picture in three states with the caption below.
QPushButton* Button(const char* text, int id, const char* picture, QWidget* parent) {
    auto* button = new PictureButton(QString::fromUtf8(text), parent);
    button->setObjectName(QStringLiteral("id%1").arg(id));
    const ButtonPictures pictures = ToolbarPictures(picture);
    button->setBitmaps(pictures.normal, pictures.pressed, pictures.disabled);
    button->setCaptionPlacement(PictureButton::CaptionPlacement::Below);
    button->setTextColor(Qt::black, QColor(150, 150, 150));
    // Return means "Next" (the window's key handler), never the focused or
    // the first button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// The tree's pictures by the tree model's image numbers.
const char* TreePicture(int image) {
    switch (image) {
        case kImageDrive: return image::kTreeFileSystem;
        case kImagePartition: return image::kTreePartition;
        case kImageComputer: return image::kTreeComputer;
        case kImageFolderPassed: return image::kTreeFolderPassed;
        case kImageFolderOpen: return image::kTreeFolderOpen;
        case kImageFolderOpened: return image::kTreeFolderOpened;
        default: return image::kTreeFolder;
    }
}

QLabel* Label(const QString& text, int id, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("id%1").arg(id));
    return label;
}

Qt::CheckState ToQt(CheckState state) {
    switch (state) {
        case CheckState::Checked: return Qt::Checked;
        case CheckState::Partial: return Qt::PartiallyChecked;
        default: return Qt::Unchecked;
    }
}

}  // namespace

MainWindow::MainWindow(std::vector<std::string> images, QWidget* parent)
    : QDialog(parent),
      observer_(
          this, [this] { showSearchDisplay(); },
          [this](std::string text) { controller_->engineGuide(std::move(text)); },
          [this] { controller_->readFailureNotice(); }),
      messageBoxes_(this),
      prompter_(&messageBoxes_),
      context_(observer_, prompter_) {
    setObjectName("CChildDialogExDemoDlg");
    setWindowTitle(
        QString::fromUtf8(kProgramCaption.data(), static_cast<qsizetype>(kProgramCaption.size())));
    setStyleSheet(QString("QDialog#CChildDialogExDemoDlg { %1 }").arg(kBackgroundStyle));
    setWindowIcon(WindowIcon());
    openWebPage_ = [this] { links_.openWebPage(); };
    links_.showIpodHelp = [](QWidget* owner) { IpodHelpDialog(owner).exec(); };
    noDiskNotice_ = [this] {
        NoDiskDialog info(
            [this] {
                controller_->refreshList();
                return !controller_->deviceItems().empty();
            },
            this,
            [this] {
                stopEverything();
                QCoreApplication::exit(0);
            },
            links_);
        info.exec();
    };
    context_.inventoryOptions.images = std::move(images);
    controller_ =
        std::make_unique<WizardController>(context_, [this](std::function<void()> report) {
            QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
        });
    controller_->onChange = [this] { showState(); };
    saveRunner_ = new SaveRunner(this, context_, prompter_);
    saveRunner_->onFinished = [this] {
        refreshResultTexts();
        showState();
    };
    logPaths_ = [this](bool saving, const QString& folder) {
        return saving
                   ? QFileDialog::getSaveFileName(this, "Save Log", folder, "Recovery Log (*.MPD)")
                   : QFileDialog::getOpenFileName(this, "Load Log", folder, "Recovery Log (*.MPD)");
    };
    buildControls();
    buildMenus();
    controller_->start();
    logFolder_->setText(ToQt(controller_->logFolder()));
    restoreWindowGeometry();
}

// Once the window runs: an inventory that found no disk (at start-up, after
// "Refresh List", after Back to the disk page) means the no-disk dialog,
// once however many inventories were taken meanwhile.
void MainWindow::scheduleNoDiskNotice() {
    if (noDiskPending_ || noDiskShowing_) return;
    noDiskPending_ = true;
    QTimer::singleShot(0, this, &MainWindow::showNoDiskNotice);
}

void MainWindow::showNoDiskNotice() {
    noDiskPending_ = false;
    if (controller_->page() != WizardPage::Disks || !controller_->deviceItems().empty() ||
        !noDiskNotice_)
        return;
    noDiskShowing_ = true;  // its own retry takes inventories too
    noDiskNotice_();
    noDiskShowing_ = false;
}

// The size and place of the last run, within the screen; else the window's
// preferred size, no larger than the screen's free area.
void MainWindow::restoreWindowGeometry() {
    const QSettings settings;
    if (settings.contains(kGeometryKey) &&
        restoreGeometry(settings.value(kGeometryKey).toByteArray()))
        return;
    const QScreen* shown = screen();
    const QRect free = shown != nullptr ? shown->availableGeometry() : QRect(0, 0, 800, 600);
    resize(std::min(kPreferredWidth, free.width()), std::min(kPreferredHeight, free.height()));
}

void MainWindow::storeWindowGeometry() {
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
}

void MainWindow::showAbout() { AboutDialog(this, links_).exec(); }

MainWindow::~MainWindow() {
    stopEverything();  // workers asking now get their default: we wait for them
    controller_.reset();
}

void MainWindow::setSaveDialogs(SaveDialogs* dialogs) { saveRunner_->setDialogs(dialogs); }

void MainWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildToolbar());
    auto* panels = new QHBoxLayout;
    panels->addLayout(buildTreePanel(), 1);
    auto* right = new QVBoxLayout;
    buildDetailsAndFileList(right);
    right->addWidget(buildPartitionPage());
    right->addWidget(buildLostSearchBar());
    right->addWidget(buildSearchPage());
    panels->addLayout(right, 2);
    layout->addLayout(panels, 1);
    layout->addLayout(buildModeAndLogFolderRow());
    auto* ipodHelp = new LinkLabel(this);
    ipodHelp->setObjectName("id1194");
    ipodHelp->setText("For Help on connecting iPod for recovery, click here.");
    connect(ipodHelp, &LinkLabel::clicked, this, [this] { links_.ipodHelp(this); });
    layout->addWidget(ipodHelp);

    guide_ = Label("", 1116, this);
    guide_->setWordWrap(true);
    layout->addWidget(guide_);
    resize(1000, 680);
}

// The toolbar: Help, Load Log, Save Log, Save, Back, Next; About Us and Exit
// at the far end.
QLayout* MainWindow::buildToolbar() {
    auto* toolbar = new QHBoxLayout;
    auto* help = Button("Help", 1055, image::kHelp, this);
    loadLog_ = Button("Load Log", 1057, image::kLoadLog, this);
    saveLog_ = Button("Save Log", 1106, image::kSaveLog, this);
    auto* exitButton = Button("Exit", 1056, image::kExit, this);
    save_ = Button("Save", 1054, image::kSave, this);
    back_ = Button("Back", 1059, image::kBack, this);
    next_ = Button("Next", 1058, image::kNext, this);
    auto* about = Button("About Us", 1114, image::kAboutUs, this);
    help->setToolTip("Open the help file (F1)");
    loadLog_->setToolTip("Load a recovery log saved earlier, instead of searching again");
    saveLog_->setToolTip("Save this recovery to a log file, to load it later");
    exitButton->setToolTip("Leave the program");
    save_->setToolTip("Save the ticked folders, or the files selected in the list");
    back_->setToolTip("Go back one step");
    next_->setToolTip("Go on to the next step (Return)");
    about->setToolTip("About this program and its maker");
    for (QPushButton* button : {help, loadLog_, saveLog_, save_, back_, next_})
        toolbar->addWidget(button);
    toolbar->addStretch();
    toolbar->addWidget(about);
    toolbar->addWidget(exitButton);
    const auto openHelp = [this] { OpenHelpFile(this, links_.open); };
    connect(help, &QPushButton::clicked, this, openHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, openHelp);
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this,
            &MainWindow::quitRequested);
    connect(save_, &QPushButton::clicked, this, &MainWindow::saveSelected);
    connect(exitButton, &QPushButton::clicked, this, &MainWindow::reject);
    connect(next_, &QPushButton::clicked, this, [this] {
        if (busyWithResult()) return;
        controller_->setTypeChoice(typeChoice_->currentIndex());
        controller_->setStartField(startField_->text().toStdString());
        controller_->setEndField(endField_->text().toStdString());
        controller_->setLogFolder(logFolder_->text().toStdString());
        observer_.reset();
        controller_->next();
    });
    connect(back_, &QPushButton::clicked, this, [this] {
        if (!busyWithResult()) controller_->back();
    });
    connect(saveLog_, &QPushButton::clicked, this, &MainWindow::saveLogClicked);
    connect(loadLog_, &QPushButton::clicked, this, &MainWindow::loadLogClicked);

    return toolbar;
}

// The tree of every page, with the bar shown while a large result fills it.
QLayout* MainWindow::buildTreePanel() {
    tree_ = new CheckBoxTree(this);
    tree_->setObjectName("tree");
    tree_->setHeaderHidden(true);
    tree_->setMinimumWidth(200);
    // What the keyboard or a click makes current is chosen: a disk, a
    // partition, a file system, a folder to list.
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                if (!fillingTree_) treeCurrentChanged(item);
            });
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { treeCurrentChanged(item); });
    connect(tree_, &QTreeWidget::itemChanged, this, &MainWindow::treeItemChanged);
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemExpanded, this, &MainWindow::folderExpanded);
    connect(tree_, &QTreeWidget::itemCollapsed, this, &MainWindow::folderCollapsed);
    auto* left = new QVBoxLayout;
    left->addWidget(tree_, 1);
    treeLoading_ = new QWidget(this);
    auto* loading = new QHBoxLayout(treeLoading_);
    loading->setContentsMargins(0, 0, 0, 0);
    loading->addWidget(Label(kTreeLoadingText, 1185, this));
    treeLoadingBar_ = new TextProgressBar(this);
    treeLoadingBar_->setObjectName("id1183");
    loading->addWidget(treeLoadingBar_, 1);
    treeLoading_->hide();
    left->addWidget(treeLoading_);

    return left;
}

// The details of the disk, partition and file-system pages; the file list
// and the current folder of the results page.
void MainWindow::buildDetailsAndFileList(QVBoxLayout* right) {
    details_ = new QTableWidget(0, 2, this);
    details_->setObjectName("id1105");
    details_->setHorizontalHeaderLabels({"Name", "Value"});
    details_->horizontalHeader()->setStretchLastSection(true);
    details_->setColumnWidth(0, 303);
    details_->setItemDelegateForColumn(0, new ColonColumnDelegate(details_));  // colons line up
    details_->verticalHeader()->hide();
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    right->addWidget(details_);

    fileList_ = new StripedSortableList(this);
    fileList_->setObjectName("id1150");
    QStringList headings;
    for (const FileListColumn& column : kFileListColumns)
        headings << QString::fromUtf8(column.heading.data(),
                                      static_cast<qsizetype>(column.heading.size()));
    fileList_->setHeaderLabels(headings);
    for (int column = 0; column < file_col::Count; ++column) {
        const int width = kFileListColumns[static_cast<std::size_t>(column)].width;
        if (width == 0)
            fileList_->setColumnHidden(column, true);
        else
            fileList_->setColumnWidth(column, width);
    }
    fileList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileList_->setTextElideMode(Qt::ElideMiddle);
    connect(fileList_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* row, int) { openRow(row); });
    right->addWidget(fileList_);
    currentFolder_ = Label("", 1093, this);
    right->addWidget(currentFolder_);
}

// The partition page: type, range and the lost-partition search's buttons.
QWidget* MainWindow::buildPartitionPage() {
    partitionFields_ = new QWidget(this);
    auto* fields = new QGridLayout(partitionFields_);
    fields->addWidget(Label("Partition Type\t:", 1065, this), 0, 0);
    typeChoice_ = new QComboBox(this);
    typeChoice_->setObjectName("id1037");
    for (const char* item : kPartitionTypeItems) typeChoice_->addItem(item);
    fields->addWidget(typeChoice_, 0, 1);
    fields->addWidget(Label("Start Sector\t:", 1067, this), 1, 0);
    startField_ = new QLineEdit(this);
    startField_->setObjectName("id1069");
    fields->addWidget(startField_, 1, 1);
    fields->addWidget(Label("End Sector\t:", 1109, this), 2, 0);
    endField_ = new QLineEdit(this);
    endField_->setObjectName("id1071");
    fields->addWidget(endField_, 2, 1);
    searchMore_ = Button("Search More Partitions", 1062, image::kSearchMorePartitions, this);
    searchMore_->setToolTip("Search the disk for lost or deleted partitions");
    stopSearching_ =
        Button("Stop Searching Partitions", 1110, image::kStopSearchingPartitions, this);
    stopSearching_->setToolTip("Stop the search for partitions; what was found stays listed");
    fields->addWidget(searchMore_, 3, 0);
    fields->addWidget(stopSearching_, 3, 1);
    connect(searchMore_, &QPushButton::clicked, this, [this] {
        observer_.reset();  // the bar starts from nothing
        controller_->searchMorePartitions();
    });
    connect(stopSearching_, &QPushButton::clicked, this,
            [this] { controller_->stopSearchingPartitions(); });

    return partitionFields_;
}

// The lost-partition search's bar, while it runs.
QWidget* MainWindow::buildLostSearchBar() {
    lostSearch_ = new QWidget(this);
    auto* lost = new QHBoxLayout(lostSearch_);
    lost->setContentsMargins(0, 0, 0, 0);
    lost->addWidget(Label("Searching Partition...", 1072, this));
    lostProgress_ = new TextProgressBar(this);
    lostProgress_->setObjectName("id1070");
    lostProgress_->setCaption("Completed ");
    lost->addWidget(lostProgress_, 1);
    lostSearch_->hide();

    return lostSearch_;
}

// The search page: what is searched, the counters, the bar and Stop Search.
QWidget* MainWindow::buildSearchPage() {
    searchPage_ = new QWidget(this);
    auto* search = new QGridLayout(searchPage_);
    drive_ = Label("", 1076, this);
    fileSystem_ = Label("", 1078, this);
    folderLabel_ = Label("Folders Found\t\t\t:", 1079, this);
    folders_ = Label("0", 1080, this);
    bootLabel_ = Label("Boot Sectors Found\t\t:", 1081, this);
    bootSectors_ = Label("0", 1082, this);
    criteria_ = Label("", 1084, this);
    range_ = Label("", 1087, this);
    // Names, a column of colons, values: the tabs of the texts do not align
    // in a label, so each row is split at its tabs.
    const auto row = [&](int line, QLabel* name, QLabel* value) {
        name->setText(WithoutTabs(name->text()));
        search->addWidget(name, line, 0);
        search->addWidget(new QLabel(":", this), line, 1);
        search->addWidget(value, line, 2);
    };
    row(0, Label("Searching in Physical Drive\t:", 1075, this), drive_);
    row(1, Label("Selected File System\t\t:", 1077, this), fileSystem_);
    row(2, folderLabel_, folders_);
    row(3, bootLabel_, bootSectors_);
    row(4, Label("Searching Criteria\t\t:", 1083, this), criteria_);
    row(5, Label("Searching from sectors", 1086, this), range_);
    search->setColumnMinimumWidth(0, 200);
    search->setColumnStretch(2, 1);
    progress_ = new TextProgressBar(this);
    progress_->setObjectName("id1073");
    progress_->setRange(0, 100);
    progress_->setMinimumHeight(22);
    search->addWidget(progress_, 6, 0, 1, 3);
    status_ = Label("", 1074, this);
    search->addWidget(status_, 7, 0, 1, 3);
    stopSearch_ = Button("Stop Search", 1092, image::kStopSearch, this);
    stopSearch_->setToolTip("Stop searching; what was found so far is shown");
    connect(stopSearch_, &QPushButton::clicked, this, [this] { controller_->stopSearch(); });
    search->addWidget(stopSearch_, 8, 0);
    return searchPage_;
}

// The search modes of the disk page, Refresh List and the log folder.
QLayout* MainWindow::buildModeAndLogFolderRow() {
    auto* bottom = new QHBoxLayout;
    standard_ = new QRadioButton("Standard Search", this);
    standard_->setObjectName("id1064");
    advance_ = new QRadioButton("Advance Search", this);
    advance_->setObjectName("id1108");
    connect(standard_, &QRadioButton::clicked, this,
            [this] { controller_->chooseMode(SearchMode::Standard); });
    connect(advance_, &QRadioButton::clicked, this,
            [this] { controller_->chooseMode(SearchMode::Advance); });
    modeText_ = Label("", 1068, this);
    refresh_ = Button("Refresh List", 1135, image::kRefreshList, this);
    refresh_->setToolTip("List the disks again");
    connect(refresh_, &QPushButton::clicked, this, [this] { controller_->refreshList(); });
    bottom->addWidget(standard_);
    bottom->addWidget(advance_);
    bottom->addWidget(modeText_);
    bottom->addWidget(refresh_);
    bottom->addStretch();
    bottom->addWidget(Label("Path for Log File : ", 1060, this));
    auto* folderControl = new FolderField(this);
    folderControl->setDialogTitle("Path for Log File");
    logFolder_ = folderControl->edit();
    logFolder_->setObjectName("id1000");
    folderControl->setMinimumWidth(300);
    connect(folderControl, &FolderField::folderChosen, this,
            [this](const QString& folder) { controller_->setLogFolder(folder.toStdString()); });
    bottom->addWidget(folderControl);

    return bottom;
}

void MainWindow::showState() {
    const WizardController& wizard = *controller_;
    const WizardControls& controls = wizard.controls();
    guide_->setText(ToQt(wizard.guide()));
    next_->setEnabled(controls.nextEnabled);
    next_->setVisible(controls.nextVisible);
    back_->setEnabled(controls.backEnabled);
    loadLog_->setEnabled(controls.loadLogEnabled);
    saveLog_->setEnabled(controls.saveLogEnabled);
    save_->setEnabled(controls.saveEnabled && wizard.resultReady() && !saveRunner_->running());
    refresh_->setVisible(controls.refreshVisible);
    searchMore_->setVisible(controls.searchMoreVisible);
    stopSearching_->setVisible(controls.stopSearchingVisible);
    stopSearch_->setVisible(controls.stopSearchVisible);
    standard_->setEnabled(controls.modeEnabled);
    advance_->setEnabled(controls.modeEnabled);
    {
        const QSignalBlocker blockStandard(standard_);
        const QSignalBlocker blockAdvance(advance_);
        standard_->setAutoExclusive(false);
        advance_->setAutoExclusive(false);
        standard_->setChecked(wizard.mode() == SearchMode::Standard);
        advance_->setChecked(wizard.mode() == SearchMode::Advance);
        standard_->setAutoExclusive(true);
        advance_->setAutoExclusive(true);
    }
    modeText_->setText(ToQt(wizard.modeText()));
    if (wizard.inventoriesTaken() != inventoriesSeen_) {
        inventoriesSeen_ = wizard.inventoriesTaken();
        if (wizard.deviceItems().empty()) scheduleNoDiskNotice();
    }

    const WizardPage page = wizard.page();
    partitionFields_->setVisible(page == WizardPage::Partitions);
    typeChoice_->setEnabled(controls.typeFieldsEnabled);
    startField_->setEnabled(controls.typeFieldsEnabled);
    endField_->setEnabled(controls.typeFieldsEnabled);
    typeChoice_->setCurrentIndex(wizard.typeChoice());
    startField_->setText(ToQt(wizard.startField()));
    endField_->setText(ToQt(wizard.endField()));
    searchPage_->setVisible(page == WizardPage::Searching);
    lostSearch_->setVisible(wizard.lostPartitionSearchRunning());
    // The bars say how long the rest will take, from the rate so far.
    if (wizard.lostPartitionSearchRunning() && !lostProgress_->timing()) {
        lostProgress_->setValue(0);
        lostProgress_->startTiming();
    } else if (!wizard.lostPartitionSearchRunning()) {
        lostProgress_->stopTiming();
    }
    const bool searching = page == WizardPage::Searching && wizard.searchRunning();
    if (searching && !progress_->timing())
        progress_->startTiming();
    else if (!searching)
        progress_->stopTiming();
    details_->setVisible(page != WizardPage::Results);
    fileList_->setVisible(page == WizardPage::Results);
    currentFolder_->setVisible(page == WizardPage::Results);
    tree_->setVisible(page != WizardPage::Searching);

    details_->setRowCount(static_cast<int>(wizard.details().size()));
    for (int row = 0; row < details_->rowCount(); ++row) {
        const DetailsRow& detail = wizard.details()[static_cast<std::size_t>(row)];
        details_->setItem(row, 0, new QTableWidgetItem(ToQt(detail.name)));
        details_->setItem(row, 1, new QTableWidgetItem(ToQt(detail.value)));
    }
    const SearchPageValues& values = wizard.searchPage();
    drive_->setText(ToQt(values.drive));
    fileSystem_->setText(ToQt(values.fileSystem));
    criteria_->setText(ToQt(values.criteria));
    range_->setText(ToQt(values.range));
    showSearchDisplay();
    fillTree();
    // Each new page: the keyboard starts in the tree (while searching it is
    // hidden, and "Stop Search" takes the focus).
    if (focusedPage_ != page) {
        focusedPage_ = page;
        if (page == WizardPage::Searching) {
            if (stopSearch_->isVisible()) stopSearch_->setFocus();
        } else {
            tree_->setFocus();
        }
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape: event->accept(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            if (next_->isVisible() && next_->isEnabled()) next_->click();
            return;
        default: QDialog::keyPressEvent(event);
    }
}

void MainWindow::showSearchDisplay() {
    const SearchDisplay display = observer_.display();
    status_->setText(ToQt(display.status));
    folderLabel_->setText(WithoutTabs(ToQt(display.folderLabel)));
    bootLabel_->setText(WithoutTabs(ToQt(display.bootLabel)));
    folders_->setText(QString::number(display.folders));
    bootSectors_->setText(QString::number(display.bootSectors));
    progress_->setValue(display.percent);
    // A caption that carries a figure of its own ("0  % Completed ") would
    // read "0  % Completed 0%": the bar adds the figure.
    QString caption = ToQt(display.caption);
    static const QRegularExpression leadingFigure(QStringLiteral("^\\s*\\d+\\s*%\\s*"));
    caption.remove(leadingFigure);
    progress_->setCaption(caption);
    if (controller_->lostPartitionSearchRunning()) lostProgress_->setValue(display.percent);
}

// The tree of the current page: the disks, the partitions of the disk, the
// file systems found, or the folders of the result.
void MainWindow::fillTree() {
    const WizardController& wizard = *controller_;
    const WizardPage page = wizard.page();
    if (page == WizardPage::Searching) return;
    if (page == WizardPage::Results) {
        if (!treeHoldsResult_ || treePage_ != page) fillResultTree();
        treePage_ = page;
        return;
    }
    const std::vector<std::string>& texts = page == WizardPage::Disks ? wizard.deviceItems()
                                            : page == WizardPage::Partitions
                                                ? wizard.partitionItems()
                                                : wizard.fileSystemItems();
    if (page == treePage_ && texts == treeTexts_ && !treeHoldsResult_) return;
    treePage_ = page;
    treeTexts_ = texts;
    treeHoldsResult_ = false;
    fillingTree_ = true;
    tree_->clear();
    const int disk = context_.search.selectedDisk;
    const QString rootText = page == WizardPage::Disks        ? QString("My Computer")
                             : page == WizardPage::Partitions ? QString("Disk %1").arg(disk)
                                                              : QString("File Systems");
    auto* root = new QTreeWidgetItem(tree_, {rootText});
    setTreeIcon(root, kImageComputer);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* item = new QTreeWidgetItem(root, {ToQt(texts[i])});
        item->setData(0, kItemIdRole, static_cast<qulonglong>(i));
        item->setToolTip(0, item->text(0));  // a long image name is cut in a narrow tree
        if (page == WizardPage::Disks)
            item->setIcon(0, pictureIcon(image::kTreeDisk));
        else
            setTreeIcon(item, page == WizardPage::Partitions ? kImagePartition : kImageDrive);
    }
    root->setExpanded(true);
    // The highlight shows what the page has chosen: the partition or file
    // system whose details are shown, on the disk page nothing yet.
    const int chosen = page == WizardPage::Partitions    ? wizard.selectedPartition()
                       : page == WizardPage::FileSystems ? wizard.selectedVolume() - 1
                                                         : -1;
    tree_->setCurrentItem(chosen >= 0 && chosen < root->childCount() ? root->child(chosen) : root);
    fillingTree_ = false;
}

void MainWindow::fillResultTree() {
    fillingTree_ = true;
    tree_->clear();
    fileList_->clear();
    currentFolder_->clear();
    treeHoldsResult_ = true;
    treeTexts_.clear();
    resultItems_.clear();
    shownFolder_ = kNoItem;
    listedFolder_ = kNoItem;
    expandFillItem_ = kNoItem;
    openedFromList_ = kNoItem;
    refillOnExpand_ = false;
    const TreeModel& model = context_.folders.model();
    // A large tree takes a while to fill: the bar moves, painted at once as
    // the window's thread does not return to its loop meanwhile.
    const bool showLoading = model.size() > kTreeLoadingBarItems;
    std::size_t added = 0;
    if (showLoading) {
        treeLoadingBar_->setRange(0,
                                  static_cast<int>(std::min<std::size_t>(model.size(), INT_MAX)));
        treeLoadingBar_->setValue(0);
        treeLoading_->show();
    }
    const std::function<void(QTreeWidgetItem*, ItemId)> add = [&](QTreeWidgetItem* parent,
                                                                  ItemId id) {
        if (showLoading && ++added % 512 == 0) {
            treeLoadingBar_->setValue(static_cast<int>(std::min<std::size_t>(added, INT_MAX)));
            treeLoading_->repaint();
        }
        const TreeItem& source = model.item(id);
        auto* item = parent == nullptr ? new QTreeWidgetItem(tree_, {ToQt(source.text)})
                                       : new QTreeWidgetItem(parent, {ToQt(source.text)});
        item->setData(0, kItemIdRole, static_cast<qulonglong>(id));
        resultItems_[id] = item;
        showFolderPicture(id);
        if (source.check != CheckState::None) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, ToQt(source.check));
        }
        for (ItemId child : model.children(id)) add(item, child);
    };
    if (context_.folders.root() != kNoItem) {
        add(nullptr, context_.folders.root());
        tree_->topLevelItem(0)->setExpanded(true);
        tree_->setCurrentItem(tree_->topLevelItem(0));
        showFolder(context_.folders.root());
    }
    treeLoading_->hide();
    fillingTree_ = false;
}

void MainWindow::treeCurrentChanged(QTreeWidgetItem* item) {
    if (item == nullptr || (item->parent() == nullptr && !treeHoldsResult_)) return;
    const auto index = static_cast<int>(IdOf(item));
    switch (controller_->page()) {
        case WizardPage::Disks: controller_->selectDevice(index); break;
        case WizardPage::Partitions: controller_->selectPartition(index); break;
        case WizardPage::FileSystems: controller_->selectFileSystem(index + 1); break;
        case WizardPage::Results:
            // Once per folder: a click makes the item current and is a click.
            if (static_cast<ItemId>(index) != listedFolder_) showFolder(static_cast<ItemId>(index));
            break;
        default: break;
    }
}

// A click on a check box: the tree model decides the states of the whole
// branch and its ancestors.
void MainWindow::treeItemChanged(QTreeWidgetItem* item, int column) {
    if (fillingTree_ || column != 0 || !treeHoldsResult_ || !controller_->resultReady()) return;
    if (busyWithResult()) {  // the worker reads the check marks: put the box back
        syncCheckStates();
        return;
    }
    const auto id = static_cast<ItemId>(item->data(0, kItemIdRole).toULongLong());
    const TreeModel& model = context_.folders.model();
    if (!model.contains(id) || ToQt(model.item(id).check) == item->checkState(0)) return;
    context_.folders.ToggleCheck(id);
    syncCheckStates();
}

void MainWindow::syncCheckStates() {
    fillingTree_ = true;
    const TreeModel& model = context_.folders.model();
    const std::function<void(QTreeWidgetItem*)> sync = [&](QTreeWidgetItem* item) {
        const auto id = static_cast<ItemId>(item->data(0, kItemIdRole).toULongLong());
        if (model.contains(id) && model.item(id).check != CheckState::None)
            item->setCheckState(0, ToQt(model.item(id).check));
        for (int i = 0; i < item->childCount(); ++i) sync(item->child(i));
    };
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) sync(tree_->topLevelItem(i));
    fillingTree_ = false;
}

// A save or a list fill reads the folder nodes on a worker: until it ends
// nothing on the window's side changes or reads them.
bool MainWindow::busyWithResult() const { return saveRunner_->running() || populating_; }

void MainWindow::showFolder(ItemId item) {
    if (!controller_->resultReady() || saveRunner_->running() ||
        !context_.folders.model().contains(item))
        return;
    listedFolder_ = item;
    const std::size_t walk =
        context_.folders.nodes().size() +
        (IsNtfsResult(context_) || context_.activeLayout.kind == VolumeKind::Exfat
             ? context_.catalogue.EntryTable.count()
             : 0u);
    if (walk > populateThreshold_) {
        startPopulation(item);
        return;
    }
    showRows(item, ResultFolderLister(context_).rows(item));
}

// A large folder is listed on the populate worker; the window is disabled
// until its rows arrive, so nothing else touches the folder nodes meanwhile.
void MainWindow::startPopulation(ItemId item) {
    if (populateWindow_ == nullptr) populateWindow_ = new PopulateWindow(this);
    populateWindow_->showOverParent();
    setEnabled(false);
    populating_ = true;
    const int generation = ++populateGeneration_;
    populate_.start(
        [this, item](std::stop_token stop) {
            return ResultFolderLister(context_).rows(item, stop);
        },
        [this, item, generation](std::vector<FileRow> rows) {
            QMetaObject::invokeMethod(
                this, [this, item, generation, rows] { populated(item, generation, rows); },
                Qt::QueuedConnection);
        });
}

void MainWindow::populated(ItemId item, int generation, const std::vector<FileRow>& rows) {
    if (generation != populateGeneration_) return;  // a later fill replaced this one
    populating_ = false;
    populateWindow_->hide();
    setEnabled(true);
    showRows(item, rows);
    tree_->setFocus();
}

void MainWindow::setTreeIcon(QTreeWidgetItem* item, int image) {
    item->setIcon(0, pictureIcon(TreePicture(image)));
}

// A result item's picture: the computer for the root, the deleted folder
// for a deleted one, else the folder as its image number says (closed,
// open, opened from the list, passed).
void MainWindow::showFolderPicture(ItemId id) {
    const auto found = resultItems_.find(id);
    if (found == resultItems_.end()) return;
    if (id == context_.folders.model().root())
        setTreeIcon(found->second, kImageComputer);
    else if (context_.folders.isDeletedFolder(id))
        found->second->setIcon(0, pictureIcon(image::kTreeDeletedFolder));
    else
        setTreeIcon(found->second, context_.folders.model().item(id).image);
}

// The root keeps its picture; so does an item of no folder.
void MainWindow::setFolderImage(ItemId id, int image) {
    TreeModel& model = context_.folders.model();
    if (!model.contains(id) || id == model.root()) return;
    model.setImage(id, image);
    showFolderPicture(id);
}

// Pictures are read from the resources once; a large tree shares them.
QIcon MainWindow::pictureIcon(const char* resource) {
    const QString key = QString::fromLatin1(resource);
    const auto cached = pictureIcons_.constFind(key);
    if (cached != pictureIcons_.constEnd()) return *cached;
    const QIcon icon(LoadPixmap(resource));
    pictureIcons_.insert(key, icon);
    return icon;
}

void MainWindow::showRows(ItemId item, const std::vector<FileRow>& rows) {
    // The fill that Right-arrow's expanding asked for types deleted folders
    // "Deleted FOLDER"; any refill ends the Right arrow's request.
    const bool expandFill = item == expandFillItem_;
    const bool openedFromList = item == openedFromList_;
    expandFillItem_ = kNoItem;
    openedFromList_ = kNoItem;
    refillOnExpand_ = false;
    fileList_->clear();
    for (const FileRow& row : rows) {
        auto* entry = new QTreeWidgetItem(fileList_);
        for (int column = 0; column < file_col::Count; ++column)
            entry->setText(column, ToQt(row[column]));
        if (expandFill && row.icon == FileRowIcon::Folder && row.deleted)
            entry->setText(file_col::Type, QStringLiteral("Deleted FOLDER"));
        if (row.icon == FileRowIcon::Folder) {
            entry->setData(0, kItemIdRole,
                           QString::fromStdString(row[file_col::DebugInfo3]).toULongLong());
            entry->setData(0, kFolderRowRole, true);
            entry->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        } else {
            entry->setIcon(0, iconForFile(entry->text(file_col::Name)));
        }
        if (row.deleted) entry->setForeground(0, QBrush(QColor(160, 0, 0)));
        entry->setToolTip(file_col::Name, entry->text(file_col::Name));  // the whole name
        if (row.pastDiskEnd) {
            entry->setForeground(0, QBrush(QColor(128, 128, 128)));
            entry->setToolTip(0, entry->text(file_col::Name) +
                                     "\nThe data of this file lies beyond the end of the disk");
        }
    }
    fileList_->resort();
    fitNameColumn();
    // The folder listed before is passed; the listed one is open.
    const ItemId root = context_.folders.model().root();
    if (shownFolder_ != item && shownFolder_ != kNoItem)
        setFolderImage(shownFolder_, kImageFolderPassed);
    if (openedFromList) {
        const ItemId parent = context_.folders.model().contains(item)
                                  ? context_.folders.model().item(item).parent
                                  : kNoItem;
        if (parent != root) setFolderImage(parent, kImageFolderPassed);
    }
    setFolderImage(item, openedFromList ? kImageFolderOpened : kImageFolderOpen);
    shownFolder_ = item;
    // The root's path is empty: so is the current-folder text's value.
    currentFolder_->setText("Current Folder : " +
                            ToQt(item == root ? std::string() : context_.folders.FolderPath(item)));
}

// The Name column as wide as its longest name, within the width the other
// columns leave; a longer name is cut in its middle (the tooltip has it all).
void MainWindow::fitNameColumn() {
    int others = 0;
    for (int column = 0; column < fileList_->columnCount(); ++column)
        if (column != file_col::Name && !fileList_->isColumnHidden(column))
            others += fileList_->columnWidth(column);
    const int free = fileList_->viewport()->width() - others;
    const int minimum = kFileListColumns[file_col::Name].width;
    fileList_->resizeColumnToContents(file_col::Name);
    fileList_->setColumnWidth(
        file_col::Name, std::max(minimum, std::min(fileList_->columnWidth(file_col::Name), free)));
}

void MainWindow::saveLogClicked() {
    if (!controller_->resultReady() || busyWithResult()) return;
    QString path = logPaths_(true, logFolder_->text());
    if (path.isEmpty()) return;
    // Load Log offers *.MPD files: a name without an extension gets it.
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".MPD");
    if (controller_->saveLog(path.toStdString()))
        static_cast<Prompter&>(prompter_).showMessage(
            (QStringLiteral("The recovery log was saved as\n") + path).toStdString(),
            MessageIcon::Information);
}

void MainWindow::loadLogClicked() {
    const QString path = logPaths_(false, logFolder_->text());
    if (path.isEmpty())
        controller_->loadLogCancelled();
    else
        controller_->loadLog(path.toStdString());
}

// Menu 253 of the tree ("Save") and menu 252 of the file list ("Open",
// "Save", "Save All"), "Save" the default item of both.
void MainWindow::buildMenus() {
    treeMenu_ = new QMenu(this);
    treeMenu_->setObjectName("menu253");
    QAction* treeSave = MenuAction(treeMenu_, "Save", 32773);
    treeMenu_->setDefaultAction(treeSave);
    connect(treeSave, &QAction::triggered, this, &MainWindow::saveSelected);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (controller_->page() == WizardPage::Results && controller_->resultReady())
            treeMenu_->popup(tree_->viewport()->mapToGlobal(at));
    });

    listMenu_ = new QMenu(this);
    listMenu_->setObjectName("menu252");
    QAction* open = MenuAction(listMenu_, "Open", 32772);
    QAction* listSave = MenuAction(listMenu_, "Save", 32773);
    QAction* saveAllAction = MenuAction(listMenu_, "Save All", 32774);
    listMenu_->setDefaultAction(listSave);
    connect(open, &QAction::triggered, this, &MainWindow::openSelectedRow);
    connect(listSave, &QAction::triggered, this, &MainWindow::saveListRows);
    connect(saveAllAction, &QAction::triggered, this, &MainWindow::saveAll);
    fileList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fileList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (controller_->resultReady() && !fileList_->selectedItems().isEmpty())
            listMenu_->popup(fileList_->viewport()->mapToGlobal(at));
    });
}

void MainWindow::saveSelected() {
    if (!controller_->resultReady() || busyWithResult()) return;
    SaveSelection selection;
    const TreeModel& model = context_.folders.model();
    for (ItemId id = 1; id <= model.size(); ++id) {
        const CheckState check = model.item(id).check;
        if (check == CheckState::Checked || check == CheckState::Partial)
            selection.checkMarks = true;
    }
    if (!selection.checkMarks) selection.rows = selectedListRows();
    startSave(std::move(selection));
}

// The file list's "Save" and "Open" on a file: the rows the user pointed at,
// whatever folders are ticked in the tree.
void MainWindow::saveListRows() {
    if (!controller_->resultReady() || busyWithResult()) return;
    SaveSelection selection;
    selection.rows = selectedListRows();
    startSave(std::move(selection));
}

std::vector<SelectedFileRow> MainWindow::selectedListRows() const {
    std::vector<SelectedFileRow> rows;
    for (QTreeWidgetItem* item : fileList_->selectedItems()) {
        SelectedFileRow selected;
        selected.folderItem = shownFolder_;
        for (int column = 0; column < file_col::Count; ++column)
            selected.row[column] = item->text(column).toStdString();
        if (item->data(0, kFolderRowRole).toBool()) selected.row.icon = FileRowIcon::Folder;
        rows.push_back(std::move(selected));
    }
    return rows;
}

void MainWindow::startSave(SaveSelection selection) {
    if (!selection.checkMarks && selection.rows.empty()) {
        static_cast<Prompter&>(prompter_).showMessage(kNothingSelectedMessage,
                                                      MessageIcon::Information);
        return;
    }
    saveRunner_->start(std::move(selection));
    showState();
}

void MainWindow::saveAll() {
    if (!controller_->resultReady() || busyWithResult()) return;
    SaveSelection selection;
    selection.everything = true;
    saveRunner_->start(std::move(selection));
    showState();
}

void MainWindow::openSelectedRow() {
    const QList<QTreeWidgetItem*> rows = fileList_->selectedItems();
    if (!rows.isEmpty()) openRow(rows.front());
}

// A folder row opens its folder in the tree and the list; a file row is
// saved, as "Save" on it would.
void MainWindow::openRow(QTreeWidgetItem* row) {
    if (row == nullptr || !controller_->resultReady() || busyWithResult()) return;
    FileRow fileRow;
    for (int column = 0; column < file_col::Count; ++column)
        fileRow[column] = row->text(column).toStdString();
    const OpenTarget target = ClassifyOpen(fileRow);
    if (target.kind == OpenTarget::Kind::Folder) {
        const auto found = resultItems_.find(target.folderItem);
        if (found == resultItems_.end()) return;
        QTreeWidgetItem* item = found->second;
        for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent())
            up->setExpanded(true);
        item->setExpanded(true);
        openedFromList_ = target.folderItem;
        showFolder(target.folderItem);
        tree_->setCurrentItem(item);
        tree_->scrollToItem(item);
        return;
    }
    if (target.kind != OpenTarget::Kind::File) return;
    fileList_->clearSelection();
    row->setSelected(true);
    saveListRows();
}

// Names may change while a save reads the folders' directories.
void MainWindow::refreshResultTexts() {
    if (!treeHoldsResult_) return;
    const TreeModel& model = context_.folders.model();
    fillingTree_ = true;
    for (const auto& [id, item] : resultItems_)
        if (model.contains(id)) item->setText(0, ToQt(model.item(id).text));
    fillingTree_ = false;
}

// Expanding a FAT folder reads its directory, once, to name its child
// folders (OpenResultFolder). A folder expanded by the Right arrow becomes the listed folder.
void MainWindow::folderExpanded(QTreeWidgetItem* item) {
    if (fillingTree_ || !treeHoldsResult_ || !controller_->resultReady() || populating_ ||
        saveRunner_->running())
        return;
    const ItemId id = IdOf(item);
    if (!context_.folders.model().contains(id)) return;
    if (OpenResultFolder(context_, id)) {
        const TreeModel& model = context_.folders.model();
        fillingTree_ = true;
        for (int i = 0; i < item->childCount(); ++i) {
            const ItemId child = IdOf(item->child(i));
            if (!model.contains(child)) continue;
            item->child(i)->setText(0, ToQt(model.item(child).text));
            showFolderPicture(child);  // its entry may say it was deleted
        }
        fillingTree_ = false;
    }
    if (refillOnExpand_ && item->parent() != nullptr) {
        refillOnExpand_ = false;
        expandFillItem_ = id;
        showFolder(id);
        tree_->setCurrentItem(item);
    }
}

// Collapsing closes a folder's picture.
void MainWindow::folderCollapsed(QTreeWidgetItem* item) {
    if (fillingTree_ || !treeHoldsResult_ || !controller_->resultReady() || busyWithResult())
        return;
    setFolderImage(IdOf(item), kImageFolder);
}

// The icon of the file's type by its name: the desktop theme's icon for the
// type, the style's file icon when the theme has none.
QIcon MainWindow::iconForFile(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    const auto cached = iconsBySuffix_.constFind(suffix);
    if (cached != iconsBySuffix_.constEnd()) return *cached;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const QIcon icon = QIcon::fromTheme(
        type.iconName(),
        QIcon::fromTheme(type.genericIconName(), style()->standardIcon(QStyle::SP_FileIcon)));
    iconsBySuffix_.insert(suffix, icon);
    return icon;
}

// Up and Down in the result tree move to the previous or next visible folder
// and list it; the root item is not listed this way.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress && treeHoldsResult_ &&
        controller_->page() == WizardPage::Results) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Right asks the folder it expands to be listed; Left takes that back.
        if (key == Qt::Key_Right) refillOnExpand_ = true;
        if (key == Qt::Key_Left) refillOnExpand_ = false;
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            QTreeWidgetItem* from = tree_->currentItem();
            QTreeWidgetItem* to = from == nullptr     ? nullptr
                                  : key == Qt::Key_Up ? tree_->itemAbove(from)
                                                      : tree_->itemBelow(from);
            if (to != nullptr && to->parent() != nullptr) tree_->setCurrentItem(to);  // lists it
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Leaving: on a finished result first the offer to store it, then the exit
// question (No by default). On Yes every worker is asked to stop and waited
// for, then the window closes.
void MainWindow::reject() {
    if (exitAsked_) return;  // a close request while the questions are open
    exitAsked_ = true;
    if (controller_->resultReady() && !saveRunner_->running() &&
        static_cast<Prompter&>(prompter_).askYesNo(kSaveRecoveryQuestion))
        saveLogClicked();
    const bool leave = static_cast<Prompter&>(prompter_).askYesNo(kExitQuestion);
    exitAsked_ = false;
    if (!leave) return;
    stopEverything();
    storeWindowGeometry();
    if (openWebPage_) openWebPage_();
    QDialog::reject();
}

// Questions first: a worker may be waiting for an answer from this thread
// (a stopped search that found nothing asks for its notice), and this thread
// is about to wait for the workers.
void MainWindow::stopEverything() {
    messageBoxes_.close();
    saveRunner_->stop();
    populate_.stop();
    controller_->stopWorkers();
}

// The application's own exit command (Ctrl+Q): one question first, then
// the workers end, and a finished result may still be stored.
void MainWindow::quitRequested() {
    if (exitAsked_) return;
    exitAsked_ = true;
    Prompter& prompter = prompter_;
    const bool leave = prompter.askYesNo(kQuitQuestion);
    if (!leave) {
        exitAsked_ = false;
        return;
    }
    // A finished result has no search worker left to stop: the offer to store
    // it comes before the open questions are closed.
    const bool finishedResult = controller_->resultReady() && !busyWithResult();
    if (finishedResult && prompter.askYesNo(kSaveRecoveryQuestion)) saveLogClicked();
    stopEverything();
    exitAsked_ = false;
    storeWindowGeometry();
    QDialog::reject();
}

}  // namespace datrevo::ui
