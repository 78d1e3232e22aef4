// Matching, naming and editing a command's variants.
#include "commands/command_variants.h"

#include <iterator>

#include "commands/text_case.h"

namespace tavrel {

bool VariantMatches(const CommandVariant& variant, std::string_view application,
                    std::string_view title) {
    if (variant.Application.empty() && variant.Title.empty()) {
        return false;
    }
    return (variant.Application.empty() ||
            EqualsIgnoringCase1252(variant.Application, application)) &&
           (variant.Title.empty() || title.find(variant.Title) != std::string_view::npos);
}

CommandVariant* MatchingVariant(TComando& command, std::string_view application,
                                std::string_view title) {
    for (CommandVariant& variant : command.Variantes) {
        if (VariantMatches(variant, application, title)) {
            return &variant;
        }
    }
    return nullptr;
}

std::string VariantName(const CommandVariant& variant) {
    std::string name = variant.Application;
    if (!variant.Title.empty()) {
        name += (name.empty() ? "\"" : " \"") + variant.Title + "\"";
    }
    return name;
}

CommandVariant* VariantAt(TComando& command, int index) {
    if (index < 0 || index >= static_cast<int>(command.Variantes.size())) {
        return nullptr;
    }
    return &*std::next(command.Variantes.begin(), index);
}

bool HoldsSettings(const TComando& command, const ActionSettings* settings) {
    if (settings == &command) {
        return true;
    }
    for (const CommandVariant& variant : command.Variantes) {
        if (settings == &variant) {
            return true;
        }
    }
    return false;
}

CommandVariant& AddVariant(TComando& command, std::string application, std::string title) {
    CommandVariant& variant = command.Variantes.emplace_back();
    variant.Application = std::move(application);
    variant.Title = std::move(title);
    variant.Acciones.emplace();
    return variant;
}

bool RemoveVariant(TComando& command, int index) {
    if (VariantAt(command, index) == nullptr) {
        return false;
    }
    command.Variantes.erase(std::next(command.Variantes.begin(), index));
    return true;
}

bool MoveVariant(TComando& command, int index, int to) {
    const int count = static_cast<int>(command.Variantes.size());
    if (index < 0 || index >= count || to < 0 || to >= count) {
        return false;
    }
    auto& list = command.Variantes;
    const auto moved = std::next(list.begin(), index);
    // Before the element that will follow it: the one at to, or the one
    // after it when moving down (the moved one leaves its place first).
    const auto before = std::next(list.begin(), to > index ? to + 1 : to);
    list.splice(before, list, moved);
    return true;
}

}  // namespace tavrel
