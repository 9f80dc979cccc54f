// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/form1_accessible.h"

#include <algorithm>

#include "helpers/picture_box.h"
#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/video_host.h"
#include "platform/accessible_value.h"

namespace zelko {

Form1Accessible::Form1Accessible(Form1* form) : QAccessibleWidget(form, QAccessible::Window) {}

QList<QWidget*> Form1Accessible::shownChildren() const
{
    const QWidget* form = widget();
    QList<QWidget*> inside;
    for (QObject* object : form->children()) {
        auto* control = qobject_cast<QWidget*>(object);
        if (control && !control->isWindow() && control->isVisibleTo(form) &&
            control->geometry().intersects(form->rect())) {
            inside.append(control);
        }
    }
    // A control wholly under another one is not seen either (txtfull under the video area).
    // Children are stacked in their order; a native window (the video area) lies above every
    // control that Qt paints.
    const auto above = [&](const QWidget* top, const QWidget* under) {
        return top->testAttribute(Qt::WA_NativeWindow) || inside.indexOf(top) > inside.indexOf(under);
    };
    QList<QWidget*> shown;
    for (QWidget* control : inside) {
        const bool covered = std::any_of(inside.begin(), inside.end(), [&](const QWidget* other) {
            return other != control && above(other, control) && other->geometry().contains(control->geometry());
        });
        if (!covered) {
            shown.append(control);
        }
    }
    return shown;
}

int Form1Accessible::childCount() const
{
    return static_cast<int>(shownChildren().size());
}

QAccessibleInterface* Form1Accessible::child(int index) const
{
    const QList<QWidget*> shown = shownChildren();
    if (index < 0 || index >= shown.size()) {
        return nullptr;
    }
    return QAccessible::queryAccessibleInterface(shown.at(index));
}

int Form1Accessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child) {
        return -1;
    }
    return static_cast<int>(shownChildren().indexOf(qobject_cast<QWidget*>(child->object())));
}

void InstallForm1Accessibility()
{
    platform::installAccessibleFactory<Form1, Form1Accessible>();
    platform::installAccessibleFactory<PictureBox, platform::AccessibleAs<QAccessible::StaticText>>();
    platform::installAccessibleFactory<VideoHost, platform::AccessibleAs<QAccessible::Graphic>>();
    platform::installAccessibleFactory<AsxToolbar, platform::AccessibleAs<QAccessible::ToolBar>>();
}

}  // namespace zelko
