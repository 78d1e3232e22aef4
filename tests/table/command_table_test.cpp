// The command table: its two-level shape, moves, ownership, the current
// command and the image rule.
#include "commands/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tavrel {
namespace {

// "TV: Play, Stop; Radio: Louder" in display order.
class CommandTableTest : public ::testing::Test {
protected:
    CommandTableTest() {
        const int tv = table.appendRemote("TV", 1);
        table.appendRemote("Radio", 4);
        table.appendCommand(tv, "Play", 2);
        table.appendCommand(0, "Stop", 3);
        table.appendCommand(3, "Louder", 5);
        selectionHeard = table.selectionChanged.subscribe([this] { ++selectionEvents; });
    }

    std::vector<std::string> Shape() const {
        std::vector<std::string> shape;
        for (int i = 0; i < table.count(); ++i) {
            shape.push_back((table.level(i) == 1 ? "  " : "") + table.label(i));
        }
        return shape;
    }

    CommandTable table;
    int selectionEvents = 0;
    Notifier<>::Subscription selectionHeard;
};

TEST_F(CommandTableTest, CommandsFollowTheirRemoteInDisplayOrder) {
    EXPECT_EQ(Shape(), (std::vector<std::string>{"TV", "  Play", "  Stop", "Radio", "  Louder"}));
    EXPECT_EQ(table.insertCommand(2, "New command", 6), 2);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"TV", "  Play", "  New command", "  Stop", "Radio",
                                                 "  Louder"}));
    EXPECT_EQ(table.parentRemote(5), 4);
    EXPECT_EQ(table.parentRemote(3), 0);
    EXPECT_EQ(table.parentRemote(4), 4);
    EXPECT_THROW(table.appendCommand(1, "x", 0), std::invalid_argument);
    EXPECT_THROW(table.insertCommand(0, "x", 0), std::invalid_argument);

    const TComando& made = table.record(2);
    EXPECT_EQ(made.Numero, 6);
    EXPECT_EQ(made.Codigo.NumValores, 0);
    EXPECT_TRUE(made.Activado && made.Typematic);
    EXPECT_TRUE(made.Acciones.has_value());
    EXPECT_FALSE(table.record(0).Acciones.has_value());
}

TEST_F(CommandTableTest, MovesKeepTwoLevelsAndTheRecords) {
    TComando* louder = &table.record(4);
    // A command onto a command: just before it, under that command's remote.
    EXPECT_TRUE(table.move(4, 2));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"TV", "  Play", "  Louder", "  Stop", "Radio"}));
    EXPECT_EQ(&table.record(2), louder);
    // A command onto its own remote: its first command.
    EXPECT_TRUE(table.move(3, 0));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"TV", "  Stop", "  Play", "  Louder", "Radio"}));
    // A command onto another remote: that remote's first command.
    EXPECT_TRUE(table.move(1, 4));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"TV", "  Play", "  Louder", "Radio", "  Stop"}));
    // A remote onto a remote: before it, with its commands.
    EXPECT_TRUE(table.move(3, 0));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Radio", "  Stop", "TV", "  Play", "  Louder"}));
    // A remote onto a command, or a node onto itself: refused.
    EXPECT_FALSE(table.move(2, 3));
    EXPECT_FALSE(table.move(3, 3));
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Radio", "  Stop", "TV", "  Play", "  Louder"}));
}

TEST(CommandTableAppend, AppendsUnderTheRightRemoteAfterTheLastRemoteMoved) {
    CommandTable table;
    for (const char* name : {"A", "B", "C", "D"}) {
        table.appendRemote(name);
    }
    table.appendCommand(3, "d1", 5);
    ASSERT_TRUE(table.move(3, 1));  // D with d1 goes before B: A D d1 B C
    EXPECT_EQ(table.appendCommand(3, "b1", 6), 4);
    EXPECT_EQ(table.parentRemote(4), 3);
    EXPECT_EQ(table.label(5), "C");
}

TEST_F(CommandTableTest, SelectionFollowsItsNodeThroughAMove) {
    table.select(4);
    EXPECT_EQ(selectionEvents, 1);
    table.move(3, 0);
    EXPECT_EQ(table.selected(), 1);
    EXPECT_EQ(table.label(table.selected()), "Louder");
    table.select(1);
    EXPECT_EQ(selectionEvents, 1);  // no change, no event
}

TEST_F(CommandTableTest, DeletingARemoteTakesItsCommandsAndEmptiesTheCurrentCommand) {
    table.setCurrent(&table.record(2));
    table.select(1);
    table.remove(0);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Radio", "  Louder"}));
    EXPECT_EQ(table.current(), nullptr);
    EXPECT_EQ(table.selected(), kNoNode);
    EXPECT_EQ(selectionEvents, 2);
}

TEST_F(CommandTableTest, DeletingAnotherNodeKeepsTheCurrentCommand) {
    TComando* louder = &table.record(4);
    table.setCurrent(louder);
    table.remove(2);
    EXPECT_EQ(table.current(), louder);
    EXPECT_EQ(table.positionOf(louder), 3);
    table.remove(3);
    EXPECT_EQ(table.current(), nullptr);
    EXPECT_EQ(table.positionOf(louder), kNoNode);
}

TEST_F(CommandTableTest, LoadOrderLinksSkipOverDeletedRecords) {
    // Loaded order: TV, Play, Stop, Radio, Louder.
    TComando* order[] = {&table.record(0), &table.record(1), &table.record(2), &table.record(3),
                         &table.record(4)};
    for (int i = 0; i < 4; ++i) {
        order[i]->Siguiente = order[i + 1];
    }
    table.remove(2);
    EXPECT_EQ(order[1]->Siguiente, order[3]);
    table.remove(2);  // Radio with Louder
    EXPECT_EQ(order[1]->Siguiente, nullptr);
    EXPECT_EQ(order[0]->Siguiente, order[1]);
}

TEST_F(CommandTableTest, ClearReleasesEverythingAndForgetsCurrentAndSelection) {
    table.setCurrent(&table.record(4));
    table.select(4);
    table.clear();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.current(), nullptr);
    EXPECT_EQ(table.selected(), kNoNode);
    EXPECT_EQ(selectionEvents, 2);
}

TEST_F(CommandTableTest, RelabellingKeepsTheNameEqual) {
    table.setLabel(1, "Lecture");
    EXPECT_EQ(table.record(1).Nombre, "Lecture");
    EXPECT_EQ(table.label(1), "Lecture");
}

TEST_F(CommandTableTest, TheImageRuleShowsCodeAndEnabledState) {
    TComando& play = table.record(1);
    table.applyImageRule(1);
    EXPECT_EQ(table.image(1), node_image::kNoCode);
    play.Activado = false;
    table.applyImageRule(1);
    EXPECT_EQ(table.image(1), node_image::kNoCode);
    play.Codigo.NumValores = 3;
    table.applyImageRule(1);
    EXPECT_EQ(table.image(1), node_image::kDisabled);
    play.Activado = true;
    table.applyImageRule(1);
    EXPECT_EQ(table.image(1), node_image::kEnabled);
    EXPECT_EQ(table.selectedImage(1), node_image::kSelectedCommand);
    play.Codigo.NumValores = -2;
    table.applyImageRule(1);
    EXPECT_EQ(table.image(1), node_image::kNoCode);

    table.applyImageRule(0);
    EXPECT_EQ(table.image(0), node_image::kRemote);
    EXPECT_EQ(table.selectedImage(0), node_image::kRemote);
    // The Enabled toggle sets an image directly, until the rule applies again.
    table.setImages(2, node_image::kEnabled, node_image::kSelectedCommand);
    EXPECT_EQ(table.image(2), node_image::kEnabled);
}

// Random edits checked against a plain list of (level, label) after every step.
TEST(CommandTableModel, RandomEditsKeepTheShapeOfAPlainList) {
    struct Entry {
        int level;
        std::string label;
    };
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
        CommandTable table;
        std::vector<Entry> model;
        const auto blockEnd = [&model](int pos) {
            int end = pos + 1;
            while (model[pos].level == 0 && end < static_cast<int>(model.size()) &&
                   model[end].level == 1) {
                ++end;
            }
            return end;
        };
        const auto positions = [&model](int level) {
            std::vector<int> found;
            for (int i = 0; i < static_cast<int>(model.size()); ++i) {
                if (model[i].level == level) {
                    found.push_back(i);
                }
            }
            return found;
        };
        for (int step = 0; step < 300; ++step) {
            const std::string name = std::to_string(step);
            const std::vector<int> remotes = positions(0);
            const std::vector<int> commands = positions(1);
            const int op = pick(remotes.empty() ? 1 : 6);
            if (op == 0 || (op == 2 && commands.empty())) {
                table.appendRemote(name);
                model.push_back({0, name});
            } else if (op == 1) {
                const int remote = remotes[pick(static_cast<int>(remotes.size()))];
                const int end = blockEnd(remote);
                ASSERT_EQ(table.appendCommand(remote, name, step), end);
                model.insert(model.begin() + end, {1, name});
            } else if (op == 2) {
                const int before = commands[pick(static_cast<int>(commands.size()))];
                table.insertCommand(before, name, step);
                model.insert(model.begin() + before, {1, name});
            } else if (op == 3 && pick(4) == 0) {
                const int pos = pick(static_cast<int>(model.size()));
                table.remove(pos);
                model.erase(model.begin() + pos, model.begin() + blockEnd(pos));
            } else {
                const int from = pick(static_cast<int>(model.size()));
                const int target = pick(static_cast<int>(model.size()));
                const bool allowed =
                    from != target && !(model[from].level == 0 && model[target].level == 1);
                ASSERT_EQ(table.move(from, target), allowed);
                if (allowed) {
                    const std::string targetLabel = model[target].label;
                    const int end = blockEnd(from);
                    std::vector<Entry> block(model.begin() + from, model.begin() + end);
                    model.erase(model.begin() + from, model.begin() + end);
                    auto at = std::find_if(model.begin(), model.end(),
                                           [&](const Entry& e) { return e.label == targetLabel; });
                    if (at->level == 0 && block.front().level == 1) {
                        ++at;
                    }
                    model.insert(at, block.begin(), block.end());
                }
            }
            ASSERT_EQ(table.count(), static_cast<int>(model.size())) << "seed " << seed;
            for (int i = 0; i < table.count(); ++i) {
                ASSERT_EQ(table.level(i), model[i].level) << "seed " << seed << " step " << step;
                ASSERT_EQ(table.label(i), model[i].label) << "seed " << seed << " step " << step;
            }
        }
    }
}

}  // namespace
}  // namespace tavrel
