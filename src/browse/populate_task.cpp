#include "browse/populate_task.h"

namespace datrevo {

void PopulateTask::start(Fill fill, Deliver deliver) {
    std::lock_guard lock(mutex_);
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
    worker_ =
        std::jthread([fill = std::move(fill), deliver = std::move(deliver)](std::stop_token stop) {
            std::vector<FileRow> rows = fill(stop);
            if (!stop.stop_requested()) deliver(std::move(rows));
        });
}

void PopulateTask::stop() {
    std::lock_guard lock(mutex_);
    if (!worker_.joinable()) return;
    worker_.request_stop();
    worker_.join();
}

}  // namespace datrevo
