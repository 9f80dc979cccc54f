// SPDX-License-Identifier: GPL-3.0-or-later
// The window as the user first sees it: its size without a frame, every control that shows
// inside it and clear of the others, the rows in their reading order, and the video area and
// the fullscreen key box waiting below it until a video grows the window.
#include "form_fixture.h"

namespace zelko {

using WindowLayout = FormTest<FakeDevice>;

TEST_F(WindowLayout, ShownControlsLieInsideTheWindowClearOfEachOtherRowAfterRow)
{
    EXPECT_EQ(form->frameGeometry().size(), QSize(460, 238));
    QWidget* video = Video();
    QWidget* keys = Control<QLineEdit>(*form, "Fullscreen keys");
    QList<QWidget*> seen;
    for (QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible() || control == video || control == keys) {
            continue;
        }
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_TRUE(form->rect().contains(control->geometry()));
        for (const QWidget* other : seen) {
            EXPECT_FALSE(control->geometry().intersects(other->geometry())) << other->objectName().toStdString();
        }
        seen << control;
    }
    EXPECT_GE(seen.size(), 10);
    const QWidget* rows[] = {TitleLabel(), Toolbar("Playback"),         Meter(),
                             Slider(),     Toolbar("Playlist editing"), Playlist()};
    for (size_t i = 1; i < std::size(rows); ++i) {
        EXPECT_GT(rows[i]->y(), rows[i - 1]->y()) << rows[i]->objectName().toStdString();
    }
    EXPECT_GE(video->y(), form->height());
    EXPECT_GE(keys->y(), form->height());
}

}  // namespace zelko
