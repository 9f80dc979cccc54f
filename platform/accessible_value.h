// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLatin1String>

namespace zelko::platform {

// What a screen reader sees of a control that shows one whole number within a range (a slider,
// a progress bar): the widget with Qt's value interface. A subclass says where the value and
// its range come from, and, for a control whose value can be set from there, what a set value
// does; a set value is a number, clamped to the range and rounded, before it gets there.
class AccessibleValue : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    struct Range {
        int minimum = 0;
        int maximum = 0;
        int step = 1;
    };

    AccessibleValue(QWidget* widget, QAccessible::Role role);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    virtual int value() const = 0;
    virtual Range range() const = 0;
    // A value set from outside, within the range. A control that only shows its value ignores it.
    virtual void setValue(int) {}
};

// A widget as a screen reader sees it with nothing to add but its role: a picture, a tool bar.
template <QAccessible::Role kRole> class AccessibleAs : public QAccessibleWidget {
public:
    explicit AccessibleAs(QWidget* widget) : QAccessibleWidget(widget, kRole) {}
};

// Lets Qt's accessibility make an `Accessible` for every `Widget`, known by its class name.
// Once per pair is enough; later calls do nothing.
template <class Widget, class Accessible> void installAccessibleFactory()
{
    static const bool installed =
        (QAccessible::installFactory([](const QString& key, QObject* object) {
             return key == QLatin1String(Widget::staticMetaObject.className())
                        ? static_cast<QAccessibleInterface*>(new Accessible(static_cast<Widget*>(object)))
                        : nullptr;
         }),
         true);
    (void)installed;
}

}  // namespace zelko::platform
