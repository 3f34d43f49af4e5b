#include "cli/tree_printer.h"

namespace datrevo::cli {
namespace {

void PrintItem(std::ostream& out, const FolderTree& tree, ItemId item, int depth,
               const FilesOfFolder& files) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const std::vector<std::size_t> nodes = tree.nodes().byItem(item);
    const bool deleted = !nodes.empty() && tree.nodes()[nodes.front()].deleted;
    out << indent << tree.model().item(item).text << "/" << (deleted ? "  [deleted]" : "")
        << '\n';
    for (ItemId child : tree.model().children(item)) PrintItem(out, tree, child, depth + 1, files);
    if (!files || nodes.empty()) return;
    for (const PrintedFile& file : files(tree.nodes()[nodes.front()]))
        out << indent << "  " << file.name << "  (" << file.size << " bytes)"
            << (file.deleted ? "  [deleted]" : "") << '\n';
}

}  // namespace

void PrintFolderTree(std::ostream& out, const FolderTree& tree, const FilesOfFolder& files) {
    const ItemId root = tree.root();
    if (root == kNoItem) return;
    out << tree.model().item(root).text << '\n';
    for (ItemId child : tree.model().children(root)) PrintItem(out, tree, child, 1, files);
}

}  // namespace datrevo::cli
