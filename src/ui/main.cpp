// datrevo [--image FILE]... [--no-splash]: the wizard, with image files
// listed as disks.
#include "ui/saldrin_app.h"

int main(int argc, char** argv) {
    datrevo::ui::DatrevoApplication app(argc, argv);
    return app.run();
}
