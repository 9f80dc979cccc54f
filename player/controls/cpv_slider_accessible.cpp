// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/cpv_slider_accessible.h"

#include <algorithm>
#include <cmath>

#include "player/controls/cpv_slider.h"

namespace zelko {

namespace {

QAccessibleInterface* CreateForSlider(const QString& key, QObject* object)
{
    if (key != QLatin1String(CpvSlider::staticMetaObject.className())) {
        return nullptr;
    }
    return new CpvSliderAccessible(static_cast<CpvSlider*>(object));
}

}  // namespace

CpvSliderAccessible::CpvSliderAccessible(CpvSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

CpvSlider* CpvSliderAccessible::slider() const
{
    return static_cast<CpvSlider*>(widget());
}

void* CpvSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QVariant CpvSliderAccessible::currentValue() const
{
    return slider()->Value();
}

void CpvSliderAccessible::setCurrentValue(const QVariant& value)
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber || std::isnan(number)) {
        return;
    }
    slider()->MoveThumb(static_cast<int>(std::lround(std::clamp<double>(number, slider()->Min(), slider()->Max()))));
}

QVariant CpvSliderAccessible::maximumValue() const
{
    return slider()->Max();
}

QVariant CpvSliderAccessible::minimumValue() const
{
    return slider()->Min();
}

QVariant CpvSliderAccessible::minimumStepSize() const
{
    return 1;
}

void InstallCpvSliderAccessibility()
{
    static const bool installed = (QAccessible::installFactory(CreateForSlider), true);
    (void)installed;
}

}  // namespace zelko
