// SPDX-License-Identifier: GPL-3.0-or-later
// The window from the keyboard alone. Keys that the focused control leaves unused come up to
// the window: F1 to F4 do what their transport buttons do (the tooltips name them), Enter on
// the playlist plays the selected entry as a double-click does and Delete removes it as Remove
// does, and the arrows, Home and End move the focused slider's thumb as the pointer would.
// In fullscreen mode txtfull's handler has the keys (txtfull keeps them); where the focus was
// moved away from txtfull there, they still reach that handler.
#include <QKeyEvent>
#include <QListWidget>
#include <algorithm>

#include "player/controls/cpv_slider.h"
#include "player/form1.h"
#include "player/virtual_key.h"

namespace zelko {

namespace {

constexpr int kSliderStepPercent = 5;

bool IsTransportKey(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F4;
}

}  // namespace

void Form1::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    QWidget* focus = focusWidget();
    if (focus == cpvSlider1 && SliderKey(key)) {
        return;
    }
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    if (IsTransportKey(key) || key == Qt::Key_Escape) {
        if (IsMaximized()) {
            txtfull_KeyDown(virtual_key::FromQtKey(key), 0);
        } else if (key != Qt::Key_Escape) {
            asxToolbar1_ButtonClick(1 + (key - Qt::Key_F1), QString());
        }
        return;
    }
    if (focus == List1 && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        List1_DblClick();
        return;
    }
    if (focus == List1 && key == Qt::Key_Delete) {
        PlaylistRemove();
        return;
    }
    event->ignore();
}

bool Form1::SliderKey(int key)
{
    // The slider runs from -1 (no position) to 100 percent; the keys move among the places.
    const int position = std::max(cpvSlider1->Value(), 0);
    switch (key) {
    case Qt::Key_Left: cpvSlider1->MoveThumb(std::max(position - kSliderStepPercent, 0)); return true;
    case Qt::Key_Right: cpvSlider1->MoveThumb(position + kSliderStepPercent); return true;
    case Qt::Key_Home: cpvSlider1->MoveThumb(0); return true;
    case Qt::Key_End: cpvSlider1->MoveThumb(cpvSlider1->Max()); return true;
    default: return false;
    }
}

}  // namespace zelko
