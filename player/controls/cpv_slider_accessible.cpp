// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/cpv_slider_accessible.h"

#include "player/controls/cpv_slider.h"

namespace zelko {

CpvSliderAccessible::CpvSliderAccessible(CpvSlider* slider) : AccessibleValue(slider, QAccessible::Slider) {}

CpvSlider* CpvSliderAccessible::slider() const
{
    return static_cast<CpvSlider*>(widget());
}

int CpvSliderAccessible::value() const
{
    return slider()->Value();
}

auto CpvSliderAccessible::range() const -> Range
{
    return {slider()->Min(), slider()->Max(), 1};
}

void CpvSliderAccessible::setValue(int value)
{
    slider()->MoveThumb(value);
}

void InstallCpvSliderAccessibility()
{
    platform::installAccessibleFactory<CpvSlider, CpvSliderAccessible>();
}

}  // namespace zelko
