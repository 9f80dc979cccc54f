// SPDX-License-Identifier: GPL-3.0-or-later
// End of media on the scripted device, driven tick by tick: what plays next once the open file
// has reached its end.
#include "form_fixture.h"

namespace zelko {

struct EndCase {
    const char* name;
    int playRow;
    std::function<void()> before;  // after the start, before the end
    const char* next;              // the path playing after the end; "" for none
    int selected;
    bool fullscreen = false;
};

class EndOfMediaTest : public FakeFormTest {
protected:
    void AutoReplay() { Button("Auto Replay")->click(); }
    // Ctrl+click on the highlighted entry: no entry is selected.
    void SelectNone() { Select(Playlist()->currentRow(), Qt::ControlModifier); }
};

TEST_F(EndOfMediaTest, WhatPlaysAfterTheEnd)
{
    const EndCase cases[] = {
        {"MiddleEntryMovesOn", 0, {}, "/clips/b.mpg", 1},
        {"LastEntryStops", 2, {}, "", 2},
        {"AutoReplayReplays", 2, [this] { AutoReplay(); }, "/clips/c.wav", 2},
        {"NothingSelectedStartsAtTheFirst", 1, [this] { SelectNone(); }, "/clips/a.mpg", 0},
        {"NewlySelectedWins", 0,
         [this] {
             AutoReplay();
             Select(2);
         },
         "/clips/c.wav", 2},
        {"FullscreenStaysFullscreen", 0, [this] { Button("Fullscreen")->click(); }, "/clips/b.mpg", 1, true},
        {"EmptiedPlaylistPlaysNothing", 1, [this] { Button("Clear All")->click(); }, "", -1},
        {"AutoReplayTickedAfterTheEnd", 2,
         [this] {
             EndAndTick();
             AutoReplay();
         },
         "/clips/c.wav", 2},
        {"AppendedAfterTheEnd", 2,
         [this] {
             EndAndTick();
             AddEntry("d.mpg", "/clips/d.mpg");
         },
         "/clips/d.mpg", 3},
        {"FailedNextEntryStopsTheAdvance", 2, [this] { AddEntry("gone.mpg", "/clips/gone.mpg"); }, "", 3},
    };
    channel.clips["/clips/d.mpg"] = {2000, 25};
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        Start();
        PlayRow(c.playRow);
        if (c.before) {
            c.before();
        }
        EndAndTick();
        const bool playing = channel.device && channel.device->mode == "playing";
        EXPECT_EQ(playing ? channel.device->path : "", c.next);
        EXPECT_EQ(Form1Probe::Running(*form, Clock::Misc), playing);
        EXPECT_EQ(Playlist()->currentRow(), c.selected);
        EXPECT_EQ(Form1Probe::SelectedPath(*form), c.selected);
        EXPECT_EQ(form->isMaximized(), c.fullscreen);
        EXPECT_EQ(player().Now().status, playing ? Player::Status::Playing : Player::Status::Stopped);
        if (!playing) {  // later ticks find the end again, or nothing open, and start nothing
            EndAndTick();
            EXPECT_EQ(channel.count("Close All"), 0);
            EXPECT_EQ(Playlist()->currentRow(), c.selected);
        }
    }
}

}  // namespace zelko
