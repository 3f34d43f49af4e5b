// The program's pictures, carried as Qt resources (resources/images, drawn by
// tools/pictures/image_painter.cpp).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QPushButton;

namespace datrevo::ui {

namespace image {
inline constexpr const char* kHelp = ":/images/help.png";
inline constexpr const char* kLoadLog = ":/images/load_log.png";
inline constexpr const char* kSaveLog = ":/images/save_log.png";
inline constexpr const char* kExit = ":/images/exit.png";
inline constexpr const char* kSave = ":/images/save.png";
inline constexpr const char* kNext = ":/images/next.png";
inline constexpr const char* kBack = ":/images/back.png";
inline constexpr const char* kSearchMorePartitions = ":/images/search_more_partitions.png";
inline constexpr const char* kStopSearchingPartitions = ":/images/stop_searching_partitions.png";
inline constexpr const char* kStopSearch = ":/images/stop_search.png";
inline constexpr const char* kRefreshList = ":/images/refresh_list.png";
inline constexpr const char* kAboutUs = ":/images/about_us.png";
inline constexpr const char* kTreeComputer = ":/images/tree_computer.png";
inline constexpr const char* kTreeDisk = ":/images/tree_disk.png";
inline constexpr const char* kTreePartition = ":/images/tree_partition.png";
inline constexpr const char* kTreeFolder = ":/images/tree_folder.png";
inline constexpr const char* kTreeDeletedFolder = ":/images/tree_deleted_folder.png";
inline constexpr const char* kTreeFolderOpen = ":/images/tree_folder_open.png";
inline constexpr const char* kTreeFolderOpened = ":/images/tree_folder_opened.png";
inline constexpr const char* kTreeFolderPassed = ":/images/tree_folder_passed.png";
inline constexpr const char* kTreeFileSystem = ":/images/tree_file_system.png";
inline constexpr const char* kWindowIcon = ":/images/window_icon.png";
inline constexpr const char* kSplash = ":/images/splash.png";
inline constexpr const char* kNotice = ":/images/notice.png";
inline constexpr const char* kIpodHelp = ":/images/ipod_help.png";
}  // namespace image

// Makes the resources of the library reachable (it is a static library, so
// its resources are registered by hand); every accessor below calls it.
void LoadImageResources();

QPixmap LoadPixmap(const char* resource);
QIcon WindowIcon();

// The three pictures of a toolbar button: normal, pressed (a shade darker)
// and disabled (grey, faded).
struct ButtonPictures {
    QPixmap normal;
    QPixmap pressed;
    QPixmap disabled;
};
ButtonPictures ToolbarPictures(const char* resource);

}  // namespace datrevo::ui
