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
    QList<QWidget*> seen;
    for (QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible() || control == form->Picture1 || control == form->txtfull) {
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
    const QWidget* rows[] = {form->Label2,     form->asxToolbar1, form->Meter31,
                             form->cpvSlider1, form->asxToolbar2, form->List1};
    for (size_t i = 1; i < std::size(rows); ++i) {
        EXPECT_GT(rows[i]->y(), rows[i - 1]->y()) << rows[i]->objectName().toStdString();
    }
    EXPECT_GE(form->Picture1->y(), form->height());
    EXPECT_GE(form->txtfull->y(), form->height());
}

}  // namespace zelko
