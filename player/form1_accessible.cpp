// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/form1_accessible.h"

#include <algorithm>

#include "helpers/picture_box.h"
#include "player/controls/asx_toolbar.h"
#include "player/form1.h"
#include "player/video_host.h"

namespace zelko {

namespace {

bool IsClass(const QString& key, const QMetaObject& type)
{
    return key == QLatin1String(type.className());
}

QAccessibleInterface* CreateForWindow(const QString& key, QObject* object)
{
    auto* widget = static_cast<QWidget*>(object);
    if (IsClass(key, Form1::staticMetaObject)) {
        return new Form1Accessible(static_cast<Form1*>(object));
    }
    if (IsClass(key, PictureBox::staticMetaObject)) {
        return new QAccessibleWidget(widget, QAccessible::StaticText);
    }
    if (IsClass(key, VideoHost::staticMetaObject)) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    if (IsClass(key, AsxToolbar::staticMetaObject)) {
        return new QAccessibleWidget(widget, QAccessible::ToolBar);
    }
    return nullptr;
}

}  // namespace

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
    static const bool installed = (QAccessible::installFactory(CreateForWindow), true);
    (void)installed;
}

}  // namespace zelko
