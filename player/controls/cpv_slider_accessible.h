// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/accessible_value.h"

namespace zelko {

class CpvSlider;

// What a screen reader sees of a CpvSlider: a slider with the slider's range and value. A value
// set from there moves the thumb as the user does, so the slider's container acts on it.
class CpvSliderAccessible : public platform::AccessibleValue {
public:
    explicit CpvSliderAccessible(CpvSlider* slider);

protected:
    int value() const override;
    Range range() const override;
    void setValue(int value) override;

private:
    CpvSlider* slider() const;
};

// Lets Qt's accessibility find CpvSliderAccessible for every CpvSlider; once is enough.
void InstallCpvSliderAccessibility();

}  // namespace zelko
