// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/accessible_value.h"

#include <algorithm>
#include <cmath>

namespace zelko::platform {

AccessibleValue::AccessibleValue(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

void* AccessibleValue::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QVariant AccessibleValue::currentValue() const
{
    return value();
}

void AccessibleValue::setCurrentValue(const QVariant& value)
{
    // Anything may come over the bus: a text, a NaN, a number far outside the range.
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber || std::isnan(number)) {
        return;
    }
    const Range bounds = range();
    setValue(static_cast<int>(std::lround(std::clamp<double>(number, bounds.minimum, bounds.maximum))));
}

QVariant AccessibleValue::maximumValue() const
{
    return range().maximum;
}

QVariant AccessibleValue::minimumValue() const
{
    return range().minimum;
}

QVariant AccessibleValue::minimumStepSize() const
{
    return range().step;
}

}  // namespace zelko::platform
