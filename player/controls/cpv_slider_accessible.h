// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace zelko {

class CpvSlider;

// What a screen reader sees of a CpvSlider: a slider with the slider's range and value. A value
// set from there moves the thumb as the user does, so the slider's container acts on it.
class CpvSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CpvSliderAccessible(CpvSlider* slider);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    CpvSlider* slider() const;
};

// Lets Qt's accessibility find CpvSliderAccessible for every CpvSlider; once is enough.
void InstallCpvSliderAccessibility();

}  // namespace zelko
