// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+click on the highlighted entry clears the highlight but leaves List1's current row where
// it was; Play, Remove and the end of the media then act as the user sees it: no entry selected.
#include "form_fixture.h"

namespace zelko {

class SelectionTest : public FakeFormTest {
protected:
    void ClearHighlightOf(int row)
    {
        Select(row);
        Select(row, Qt::ControlModifier);
        ASSERT_TRUE(Playlist()->selectedItems().isEmpty());
        ASSERT_EQ(Playlist()->currentRow(), row) << "the current row stays behind";
    }
};

TEST_F(SelectionTest, AClearedHighlightMeansNoEntryForPlayRemoveAndTheEndOfMedia)
{
    ClearHighlightOf(1);
    EXPECT_EQ(Form1Probe::SelectedPath(*form), -1) << "List2 follows the highlight";

    Button("Play")->click();  // the open names no file and fails
    EXPECT_EQ(player().Now().status, Player::Status::Stopped);
    EXPECT_EQ(player().Now().title, QString());
    EXPECT_EQ(Accessible(TitleStrip())->text(QAccessible::Name), QString());
    EXPECT_FALSE(channel.device);

    Button("Remove")->click();  // nothing goes
    EXPECT_EQ(Entries(Playlist()), (QStringList{"a.mpg", "b.mpg", "c.wav"}));
    EXPECT_EQ(Form1Probe::Paths(*form).size(), 3);

    PlayRow(1);  // b.mpg plays, its highlight is cleared, it ends: the first entry is next
    ClearHighlightOf(1);
    EndAndTick();
    EXPECT_TRUE(channel.playing("/clips/a.mpg"));
    EXPECT_EQ(Playlist()->selectedItems(), QList<QListWidgetItem*>{Playlist()->item(0)});
}

}  // namespace zelko
