// DatrevoApplication: the program's run: the splash, then the main window; the
// process ends with the window.
//   datrevo [--image FILE]... [--no-splash]
#pragma once

#include <QApplication>
#include <string>
#include <vector>

namespace datrevo::ui {

struct StartOptions {
    std::vector<std::string> images;  // listed as disks after the removable ones
    bool splash = true;
};

// Reads a command line, the program's name first (exits on --help and on
// errors, as Qt's parser does).
StartOptions ParseStartOptions(const QStringList& arguments);

class DatrevoApplication {
public:
    DatrevoApplication(int& argc, char** argv);
    // Shows the splash unless told not to, then the main window; returns the
    // application's exit code.
    int run();

private:
    QApplication app_;
};

}  // namespace datrevo::ui
