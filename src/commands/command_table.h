// The command table: remotes and their commands, two levels in display order,
// which is also the search order of recognition and the order of the file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commands/comando.h"
#include "commands/notifier.h"

namespace tavrel {

// Indexes into the tree's image list.
namespace node_image {
constexpr int kRemote = 0;
constexpr int kNoCode = 1;
constexpr int kDisabled = 2;
constexpr int kEnabled = 3;
constexpr int kSelectedCommand = 4;
}  // namespace node_image

constexpr int kNoNode = -1;

class CommandTable {
public:
    CommandTable();
    ~CommandTable();
    CommandTable(const CommandTable&) = delete;
    CommandTable& operator=(const CommandTable&) = delete;

    // --- reading; positions are 0-based display positions
    int count() const { return static_cast<int>(nodes_.size()); }
    bool empty() const { return nodes_.empty(); }
    int level(int pos) const;  // 0 remote, 1 command
    bool isCommand(int pos) const { return level(pos) == 1; }
    const std::string& label(int pos) const;
    int image(int pos) const;
    int selectedImage(int pos) const;
    TComando& record(int pos) const;
    int parentRemote(int pos) const;  // the remote above a command; the node itself for a remote
    int positionOf(const TComando* record) const;  // kNoNode when not in the table

    // --- changing the shape; every operation returns the new node's position
    int appendRemote(const std::string& label, std::int32_t numero = -1);
    // Appends a command as the last child of the remote at remotePos.
    int appendCommand(int remotePos, const std::string& label, std::int32_t numero);
    // Inserts a command just before the command at beforePos, under the same remote.
    int insertCommand(int beforePos, const std::string& label, std::int32_t numero);
    // Deletes a node; a remote takes its commands with it. Records are released.
    void remove(int pos);
    // Moves the node at from onto target under the two-level rules: a command
    // dropped on a command goes just before it, on a remote to that remote's
    // first place; a remote dropped on a remote goes before it with its
    // commands; a remote dropped on a command is refused (false).
    bool move(int from, int target);
    void clear();

    void setLabel(int pos, const std::string& label);  // the record's Nombre follows
    void setImages(int pos, int image, int selectedImage);
    // 1 without code, else 3 when enabled and 2 when disabled; selected image 4.
    void applyImageRule(int pos);

    // --- selection and the current command (a non-owning reference that a
    // delete or a clear empties when it points at a released record)
    int selected() const;
    const TComando* selectedRecord() const { return selected_; }
    void select(int pos);  // kNoNode clears the selection
    TComando* current() const { return current_; }
    void setCurrent(TComando* record) { current_ = record; }

    // The first command at or after position from whose record satisfies
    // matches, in display order; kNoNode when none does. Recognition's search,
    // kept here so that it walks the nodes without a check per position.
    template <typename Predicate>
    int findCommand(Predicate&& matches, int from = 0) const {
        for (std::size_t i = static_cast<std::size_t>(std::max(from, 0)); i < nodes_.size(); ++i) {
            const Node& n = nodes_[i];
            if (n.level == 1 && matches(static_cast<const TComando&>(*n.record))) {
                return static_cast<int>(i);
            }
        }
        return kNoNode;
    }

    // Moves on with every change of shape, label or image, and with every
    // code changed in place, which its writer reports (noteCodeChanged): a
    // copy of the codes made at one revision holds until it moves.
    std::uint64_t revision() const { return revision_; }
    void noteCodeChanged() { ++revision_; }

    // Raised after the selection really changed.
    Notifier<> selectionChanged;
    // Raised after any change of shape, label or image.
    Notifier<> changed;

    // Edits not yet in the commands file: every change of shape, label or
    // image sets it, and so must an editor that changes a record in place
    // (markModified). A load or Save/Run ends with markSaved.
    bool modified() const { return modified_; }
    void markModified() { modified_ = true; }
    void markSaved() { modified_ = false; }

private:
    struct Node {
        int level = 0;
        int image = 0;
        int selectedImage = 0;
        std::unique_ptr<TComando> record;
    };

    int blockEnd(int pos) const;  // one past the last node that moves with pos
    int lastRemote() const;       // position of the last remote, kNoNode when none
    int insertNode(int pos, int level, const std::string& label, std::int32_t numero);
    void released(const TComando* record);
    void unlinkLoadOrder(int first, int end);
    void announceChange();
    const Node& node(int pos) const;

    // Nodes held by value so that a search walks contiguous memory; a
    // record never moves, so the selection is kept by its record.
    std::vector<Node> nodes_;
    const TComando* selected_ = nullptr;
    TComando* current_ = nullptr;
    mutable int lastRemote_ = kNoNode;  // cached: loads append under it
    mutable bool lastRemoteKnown_ = true;
    bool modified_ = false;
    std::uint64_t revision_ = 0;
};

}  // namespace tavrel
