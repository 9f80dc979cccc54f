// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/mod_drag_form.h"

#include <QWidget>

#include "platform/window_move.h"

namespace zelko {

namespace ModDragForm {

void DragForm(QWidget* frm)
{
    if (frm == nullptr) {
        return;
    }
    // The move belongs to the form's own window, even when the press landed on a child control.
    zelko::platform::startWindowMove(frm->window());
}

}  // namespace ModDragForm

}  // namespace zelko
