// The runner and a command's variants for named applications, on the
// recording fake desktop: which actions run for the active window, that a
// variant keeps its own place and run, and what the desktop is asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/command_variants.h"
#include "platform/trace.h"
#include "runner_parts.h"

namespace tavrel {
namespace {

using Events = std::vector<std::string>;

std::string Start(const std::string& program) {
    return "Start(" + program + ")";
}

class VariantRunnerTest : public ::testing::Test {
protected:
    VariantRunnerTest() {
        play = &parts.Command(MakeRunProgramAction("default"));
        parts.table.setLabel(parts.table.positionOf(play), "Play");
    }

    CommandVariant& variant(const std::string& application, const std::string& title,
                            const std::vector<std::string>& programs) {
        CommandVariant& v = AddVariant(*play, application, title);
        for (std::size_t i = 0; i < programs.size(); ++i) {
            WriteAction(*v.Acciones, static_cast<int>(i), MakeRunProgramAction(programs[i]));
        }
        v.Loop = static_cast<std::int32_t>(programs.size());
        return v;
    }

    // A window of application in front.
    void activate(const std::string& application, const std::string& title) {
        const WindowHandle window = fake.desktop.addWindow(title);
        fake.desktop.setApplication(window, application);
        fake.desktop.setForeground(window);
    }

    Events press() {
        parts.log.clear();
        parts.table.setCurrent(play);
        parts.runner.RunCommandActions(*play);
        return parts.log.events();
    }

    FakePlatform fake;
    test::RunnerParts parts{fake.input, fake.desktop};
    TComando* play = nullptr;
};

TEST_F(VariantRunnerTest, TheFirstVariantThatMatchesTheActiveWindowRuns) {
    variant("firefox", "YouTube", {"youtube"});
    variant("Firefox", "", {"browser"});
    variant("", "Music", {"music"});
    variant("", "", {"never"});  // names nothing: matches nothing
    const struct {
        const char* application;
        const char* title;
        const char* runs;
    } cases[] = {
        {"firefox", "Cats - YouTube - Mozilla Firefox", "youtube"},
        {"FIREFOX", "News - Mozilla Firefox", "browser"},  // letter case of the name ignored
        {"firefox", "youtube", "browser"},                 // of the title not
        {"rhythmbox", "Music", "music"},
        {"mpv", "film.mkv", "default"},
        {"", "", "default"},
    };
    for (const auto& c : cases) {
        activate(c.application, c.title);
        EXPECT_EQ(press(), Events{Start(c.runs)}) << c.application << " " << c.title;
    }
    fake.desktop.setForeground(kNoWindow);
    EXPECT_EQ(press(), Events{Start("default")}) << "no window active";
}

TEST_F(VariantRunnerTest, TheDesktopIsAskedOnlyForACommandWithVariantsAndOnlyWhereItCanTell) {
    activate("mpv", "film");
    press();
    EXPECT_EQ(fake.desktop.activeApplicationQueries, 0);
    variant("mpv", "", {"mpv"});
    EXPECT_EQ(press(), Events{Start("mpv")});
    EXPECT_EQ(fake.desktop.activeApplicationQueries, 1);

    // A desktop that cannot tell (GNOME today): the command's own actions.
    fake.desktop.applicationsRefused = "no way to tell";
    EXPECT_EQ(press(), Events{Start("default")});
    EXPECT_EQ(fake.desktop.activeApplicationQueries, 1);
}

// A variant cycles through its own actions and keeps its own place; the
// command's own list is left where it was.
TEST_F(VariantRunnerTest, AVariantKeepsItsOwnPlaceAndRunAllAtOnceWithItsDelay) {
    WriteAction(*play->Acciones, 1, MakeRunProgramAction("default 1"));
    play->Loop = 2;
    CommandVariant& mpv = variant("mpv", "", {"a", "b", "c"});
    activate("mpv", "film");
    EXPECT_EQ(press(), Events{Start("a")});
    EXPECT_EQ(press(), Events{Start("b")});
    EXPECT_EQ(mpv.LoopActual, 2);
    EXPECT_EQ(play->LoopActual, 0);

    mpv.DeVez = true;
    mpv.Retraso = 2;
    EXPECT_EQ(press(), Events{Start("a")});
    parts.log.clear();
    parts.clock.advance(4000);
    EXPECT_EQ(parts.log.events(), (Events{Start("b"), Start("c")}));

    // Removed while its delayed run goes on: the run stops.
    press();
    RemoveVariant(*play, 0);
    parts.log.clear();
    parts.clock.advance(4000);
    EXPECT_TRUE(parts.log.events().empty());
    EXPECT_FALSE(parts.runner.TimerDelay().enabled());
}

TEST_F(VariantRunnerTest, TheTraceNamesTheActiveApplicationAndTheVariantThatRan) {
    struct Lines final : Trace {
        void line(std::string_view event) override { lines.emplace_back(event); }
        std::vector<std::string> lines;
    } trace;
    const ScopedTrace installed(trace);
    variant("mpv", "film", {"mpv"});
    activate("mpv", "film.mkv");
    press();
    activate("vlc", "film.mkv");
    press();
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{
                  "\"mpv\" (\"film.mkv\") is active: the variant for mpv \"film\" of \"Play\" run",
                  "action 0 of \"Play\" for mpv \"film\": \xA1"
                  "ExecuteProgram\xA1mpv",
                  "\"vlc\" (\"film.mkv\") is active: the actions for all other applications of "
                  "\"Play\" run",
                  "action 0 of \"Play\": \xA1"
                  "ExecuteProgram\xA1"
                  "default"}));
}

}  // namespace
}  // namespace tavrel
