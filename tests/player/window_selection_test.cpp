// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+click on the highlighted entry clears the highlight but leaves List1's current row where
// it was; Play, Remove and the end of the media then act as the user sees it: no entry selected.
#include "form_fixture.h"

namespace zelko {

class SelectionTest : public FakeFormTest {
protected:
    void Click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect entry = form->List1->visualItemRect(form->List1->item(row));
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, modifiers, entry.center());
    }
    void ClearHighlightOf(int row)
    {
        Click(row);
        Click(row, Qt::ControlModifier);
        ASSERT_TRUE(form->List1->selectedItems().isEmpty());
        ASSERT_EQ(form->List1->currentRow(), row) << "the current row stays behind";
    }
};

TEST_F(SelectionTest, AClearedHighlightMeansNoEntryForPlayRemoveAndTheEndOfMedia)
{
    ClearHighlightOf(1);
    EXPECT_TRUE(form->List2->selectedItems().isEmpty()) << "List2 follows the highlight";

    form->asxToolbar1_ButtonClick(1, QString());  // Play: the open names no file and fails
    EXPECT_NE(form->mResult, "Success");
    EXPECT_EQ(form->Lbname->text(), QString());
    EXPECT_FALSE(channel.device);

    form->asxToolbar2_ButtonClick(2, QString());  // Remove: nothing goes
    EXPECT_EQ(Entries(form->List1), (QStringList{"a.mpg", "b.mpg", "c.wav"}));
    EXPECT_EQ(Entries(form->List2).size(), 3);

    PlayRow(1);  // b.mpg plays, its highlight is cleared, it ends: the first entry is next
    ClearHighlightOf(1);
    EndAndTick();
    EXPECT_TRUE(channel.playing("/clips/a.mpg"));
    EXPECT_EQ(form->List1->selectedItems(), QList<QListWidgetItem*>{form->List1->item(0)});
}

}  // namespace zelko
