// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

namespace zelko {

class Form1;

// What a screen reader sees of the window: its controls as they show, and only those. A control
// that is hidden, placed outside the window's client area (the video area below a window
// without video, txtfull below the normal window) or wholly covered by another (txtfull under
// the video, everything under the fullscreen video) is not among the window's children.
class Form1Accessible : public QAccessibleWidget {
public:
    explicit Form1Accessible(Form1* form);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    QList<QWidget*> shownChildren() const;
};

// Lets Qt's accessibility find the window's interface, and roles for the controls Qt does not
// know: the title strip (a picture box, read as a label), the video area (a picture) and the
// toolbars. Once is enough.
void InstallForm1Accessibility();

}  // namespace zelko
