// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zelko {

namespace ModDragForm {

// Hands the current left-button press over to a window move of frm's top-level window.
void DragForm(QWidget* frm);

}  // namespace ModDragForm

}  // namespace zelko
