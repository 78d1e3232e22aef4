// The command table: two levels in display order, ownership of the records,
// the selection and the current command.
#include "commands/command_table.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace tavrel {

CommandTable::CommandTable() = default;
CommandTable::~CommandTable() = default;

const CommandTable::Node& CommandTable::node(int pos) const {
    if (pos < 0 || pos >= count()) {
        throw std::out_of_range("command table position out of range");
    }
    return nodes_[static_cast<std::size_t>(pos)];
}

int CommandTable::level(int pos) const {
    return node(pos).level;
}
const std::string& CommandTable::label(int pos) const {
    return node(pos).record->Nombre;
}
int CommandTable::image(int pos) const {
    return node(pos).image;
}
int CommandTable::selectedImage(int pos) const {
    return node(pos).selectedImage;
}
TComando& CommandTable::record(int pos) const {
    return *node(pos).record;
}

int CommandTable::parentRemote(int pos) const {
    node(pos);
    while (pos > 0 && nodes_[static_cast<std::size_t>(pos)].level != 0) {
        --pos;
    }
    return pos;
}

int CommandTable::positionOf(const TComando* record) const {
    for (int i = 0; i < count(); ++i) {
        if (nodes_[static_cast<std::size_t>(i)].record.get() == record) {
            return i;
        }
    }
    return kNoNode;
}

int CommandTable::lastRemote() const {
    if (!lastRemoteKnown_) {
        lastRemote_ = kNoNode;
        for (int i = count() - 1; i >= 0; --i) {
            if (nodes_[static_cast<std::size_t>(i)].level == 0) {
                lastRemote_ = i;
                break;
            }
        }
        lastRemoteKnown_ = true;
    }
    return lastRemote_;
}

int CommandTable::blockEnd(int pos) const {
    int end = pos + 1;
    if (node(pos).level == 0 && pos == lastRemote()) {
        return count();  // the loader appends here all the time: no walk
    }
    if (node(pos).level == 0) {
        while (end < count() && nodes_[static_cast<std::size_t>(end)].level != 0) {
            ++end;
        }
    }
    return end;
}

int CommandTable::insertNode(int pos, int level, const std::string& label, std::int32_t numero) {
    Node n;
    n.level = level;
    n.record = std::make_unique<TComando>();
    n.record->Nombre = label;
    n.record->Numero = numero;
    if (level == 0) {
        n.image = n.selectedImage = node_image::kRemote;
    } else {
        n.record->Acciones.emplace();
        n.image = node_image::kNoCode;
        n.selectedImage = node_image::kSelectedCommand;
    }
    nodes_.insert(nodes_.begin() + pos, std::move(n));
    if (lastRemoteKnown_) {
        if (level == 0 && pos > lastRemote_) {
            lastRemote_ = pos;
        } else if (pos <= lastRemote_) {
            ++lastRemote_;
        }
    }
    announceChange();
    return pos;
}

int CommandTable::appendRemote(const std::string& label, std::int32_t numero) {
    return insertNode(count(), 0, label, numero);
}

int CommandTable::appendCommand(int remotePos, const std::string& label, std::int32_t numero) {
    if (level(remotePos) != 0) {
        throw std::invalid_argument("commands are appended to a remote");
    }
    return insertNode(blockEnd(remotePos), 1, label, numero);
}

int CommandTable::insertCommand(int beforePos, const std::string& label, std::int32_t numero) {
    if (level(beforePos) != 1) {
        throw std::invalid_argument("commands are inserted before a command");
    }
    return insertNode(beforePos, 1, label, numero);
}

void CommandTable::released(const TComando* record) {
    if (current_ == record) {
        current_ = nullptr;
    }
}

void CommandTable::unlinkLoadOrder(int first, int end) {
    const auto gone = [&](const TComando* record) {
        for (int i = first; i < end; ++i) {
            if (nodes_[static_cast<std::size_t>(i)].record.get() == record) {
                return true;
            }
        }
        return false;
    };
    // A load-order link into the released block skips over it, so no record
    // left in the table keeps a reference to a released one.
    for (int i = 0; i < count(); ++i) {
        if (i == first) {
            i = end - 1;
            continue;
        }
        TComando*& next = nodes_[static_cast<std::size_t>(i)].record->Siguiente;
        for (int steps = first; next != nullptr && gone(next) && steps <= end; ++steps) {
            next = next->Siguiente;
        }
        if (next != nullptr && gone(next)) {
            next = nullptr;
        }
    }
}

void CommandTable::remove(int pos) {
    const int end = blockEnd(pos);
    bool selectionGone = false;
    for (int i = end - 1; i >= pos; --i) {
        const TComando* gone = nodes_[static_cast<std::size_t>(i)].record.get();
        selectionGone = selectionGone || gone == selected_;
        released(gone);
    }
    unlinkLoadOrder(pos, end);
    // Commands first, from the first one, then the node itself.
    for (int i = pos + 1; i < end; ++i) {
        nodes_[static_cast<std::size_t>(i)].record.reset();
    }
    nodes_.erase(nodes_.begin() + pos, nodes_.begin() + end);
    lastRemoteKnown_ = false;  // after the change: blockEnd above filled the cache
    if (selectionGone) {
        selected_ = nullptr;
    }
    announceChange();
    if (selectionGone) {
        selectionChanged.notify();
    }
}

bool CommandTable::move(int from, int target) {
    const int draggedLevel = node(from).level;
    const int targetLevel = node(target).level;
    if (from == target) {
        return false;
    }
    if (targetLevel == 1 && draggedLevel == 0) {
        return false;
    }
    const TComando* targetRecord = nodes_[static_cast<std::size_t>(target)].record.get();
    const int end = blockEnd(from);
    if (draggedLevel == 0 && target > from && target < end) {
        return false;  // unreachable with two levels, kept for safety
    }
    std::vector<Node> block(std::make_move_iterator(nodes_.begin() + from),
                            std::make_move_iterator(nodes_.begin() + end));
    nodes_.erase(nodes_.begin() + from, nodes_.begin() + end);
    auto at = std::find_if(nodes_.begin(), nodes_.end(), [targetRecord](const Node& n) {
        return n.record.get() == targetRecord;
    });
    if (targetLevel == 0 && draggedLevel == 1) {
        ++at;  // first command of the remote
    }
    nodes_.insert(at, std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
    lastRemoteKnown_ = false;  // after the change: blockEnd above filled the cache
    announceChange();
    return true;
}

void CommandTable::clear() {
    lastRemoteKnown_ = false;
    const bool hadSelection = selected_ != nullptr;
    nodes_.clear();
    selected_ = nullptr;
    current_ = nullptr;
    announceChange();
    if (hadSelection) {
        selectionChanged.notify();
    }
}

void CommandTable::setLabel(int pos, const std::string& label) {
    node(pos).record->Nombre = label;
    announceChange();
}

void CommandTable::setImages(int pos, int image, int selectedImage) {
    node(pos);
    Node& n = nodes_[static_cast<std::size_t>(pos)];
    if (n.image == image && n.selectedImage == selectedImage) {
        return;  // showing a command in the editor must not redraw the whole tree
    }
    n.image = image;
    n.selectedImage = selectedImage;
    announceChange();
}

void CommandTable::applyImageRule(int pos) {
    if (level(pos) == 0) {
        setImages(pos, node_image::kRemote, node_image::kRemote);
        return;
    }
    const TComando& r = record(pos);
    const int image = r.Codigo.NumValores <= 0 ? node_image::kNoCode
                      : r.Activado             ? node_image::kEnabled
                                               : node_image::kDisabled;
    setImages(pos, image, node_image::kSelectedCommand);
}

int CommandTable::selected() const {
    return selected_ == nullptr ? kNoNode : positionOf(selected_);
}

void CommandTable::select(int pos) {
    const TComando* wanted = pos == kNoNode ? nullptr : node(pos).record.get();
    if (wanted == selected_) {
        return;
    }
    selected_ = wanted;
    selectionChanged.notify();
}

void CommandTable::announceChange() {
    modified_ = true;
    ++revision_;
    changed.notify();
}

}  // namespace tavrel
