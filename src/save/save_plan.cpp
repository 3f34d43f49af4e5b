#include "save/save_plan.h"

#include <map>
#include <set>

#include "base/decimal.h"
#include "base/limits.h"
#include "save/safe_name.h"

namespace datrevo {
namespace {

// What is asked of one tree item.
struct ItemRequest {
    bool whole = false;                // the folder with everything below it
    std::vector<const FileRow*> rows;  // single files of its list
};

class Planner {
public:
    Planner(const FolderTree& tree, FolderContents& contents, std::stop_token stop)
        : tree_(tree), model_(tree.model()), contents_(contents), stop_(std::move(stop)) {}

    SavePlan run(const SaveSelection& selection) {
        systemFiles_ = selection.systemFiles;
        streams_ = selection.streams;
        const ItemId root = tree_.root();
        if (root == kNoItem) return std::move(plan_);
        if (selection.everything) requests_[root].whole = true;
        if (selection.checkMarks) takeCheckMarks(root);
        for (const ItemId folder : selection.folders)
            if (model_.contains(folder)) requests_[folder].whole = true;
        for (const SelectedFileRow& selected : selection.rows) takeRow(selected);
        for (const auto& [item, request] : requests_) markNeeded(item);
        if (needed_.count(root) != 0) visit(root, {}, "", false, 0);
        return std::move(plan_);
    }

private:
    void takeCheckMarks(ItemId root) {
        std::vector<ItemId> stack{root};
        while (!stack.empty()) {
            const ItemId item = stack.back();
            stack.pop_back();
            const CheckState state = model_.item(item).check;
            if (state == CheckState::Checked) {
                requests_[item].whole = true;
            } else if (state == CheckState::Partial || item == root) {
                for (const ItemId child : model_.children(item)) stack.push_back(child);
            }
        }
    }

    void takeRow(const SelectedFileRow& selected) {
        const FileRow& row = selected.row;
        if (row.icon == FileRowIcon::Folder) {
            const ItemId folder = ParseUnsigned32(row[file_col::DebugInfo3]);
            if (model_.contains(folder)) requests_[folder].whole = true;
            return;
        }
        const ItemId folder = selected.folderItem == kNoItem ? tree_.root() : selected.folderItem;
        if (model_.contains(folder)) requests_[folder].rows.push_back(&row);
    }

    // The item and its ancestors lead to something to save.
    void markNeeded(ItemId item) {
        for (std::size_t steps = 0; item != kNoItem && steps <= limits::kMaxSaveFolderDepth + 1;
             ++steps) {
            if (!needed_.insert(item).second) return;
            item = model_.item(item).parent;
        }
    }

    const FolderNode* nodeOf(ItemId item) const {
        const std::vector<std::size_t> shown = tree_.nodes().byItem(item);
        return shown.empty() ? nullptr : &tree_.nodes()[shown.front()];
    }

    void visit(ItemId item, const std::vector<std::string>& path, const std::string& shown,
               bool inWhole, std::size_t depth) {
        if (stop_.stop_requested()) {
            plan_.stopped = true;
            return;
        }
        const auto found = requests_.find(item);
        const bool whole = inWhole || (found != requests_.end() && found->second.whole);
        if (!whole && needed_.count(item) == 0) return;

        contents_.prepare(item);
        FolderNames names;
        // Files of this folder: all of them, or the selected rows.
        if (whole || (found != requests_.end() && !found->second.rows.empty())) {
            const std::vector<FolderFile> files = contents_.files(item, stop_);
            std::vector<bool> taken(files.size(), whole);
            if (whole)
                for (std::size_t i = 0; i < files.size(); ++i)
                    taken[i] = (systemFiles_ || !files[i].system) && (streams_ || !files[i].stream);
            if (!whole) {
                for (const FileRow* row : found->second.rows)
                    for (std::size_t i = 0; i < files.size(); ++i)
                        if (files[i].name == (*row)[file_col::Name] &&
                            files[i].rowKey == (*row)[file_col::DebugInfo1])
                            taken[i] = true;
            }
            for (std::size_t i = 0; i < files.size(); ++i)
                if (taken[i]) addFile(files[i], path, shown, names);
        }
        // Subfolders, depth-first: each folder's job before its contents.
        for (const ItemId child : model_.children(item)) {
            if (!whole && needed_.count(child) == 0) continue;
            if (whole && !systemFiles_ && needed_.count(child) == 0) {
                const FolderNode* node = nodeOf(child);
                if (node != nullptr && contents_.isSystemFolder(*node)) continue;
            }
            if (depth + 1 > limits::kMaxSaveFolderDepth) {
                ++plan_.tooDeep;
                continue;
            }
            const std::string& text = model_.item(child).text;
            SaveJob job;
            job.kind = SaveJob::Kind::Folder;
            job.path = path;
            job.path.push_back(names.claim(text));
            job.shownPath = shown.empty() ? text : shown + "\\" + text;
            if (const FolderNode* node = nodeOf(child)) job.modified = contents_.folderTime(*node);
            const std::vector<std::string> childPath = job.path;
            const std::string childShown = job.shownPath;
            plan_.jobs.push_back(std::move(job));
            ++plan_.folderCount;
            visit(child, childPath, childShown, whole, depth + 1);
        }
    }

    void addFile(const FolderFile& file, const std::vector<std::string>& path,
                 const std::string& shown, FolderNames& names) {
        SaveJob job;
        job.kind = SaveJob::Kind::File;
        job.path = path;
        job.path.push_back(names.claim(file.name));
        job.shownPath = shown.empty() ? file.name : shown + "\\" + file.name;
        job.source = file.source;
        job.modified = file.modified;
        plan_.byteCount += file.source.size;
        ++plan_.fileCount;
        plan_.jobs.push_back(std::move(job));
    }

    const FolderTree& tree_;
    const TreeModel& model_;
    FolderContents& contents_;
    std::stop_token stop_;
    std::map<ItemId, ItemRequest> requests_;
    std::set<ItemId> needed_;
    bool systemFiles_ = false;
    bool streams_ = false;
    SavePlan plan_;
};

}  // namespace

SavePlan PlanSave(const FolderTree& tree, FolderContents& contents, const SaveSelection& selection,
                  std::stop_token stop) {
    Planner planner(tree, contents, std::move(stop));
    return planner.run(selection);
}

std::string JoinedPath(const SaveJob& job) {
    std::string out;
    for (const std::string& part : job.path) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

}  // namespace datrevo
