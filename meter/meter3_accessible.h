// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/accessible_value.h"

#include <cstdint>

namespace zelko {

class Meter3;

// What a screen reader sees of a Meter3: a progress bar from 0 to 100, at the percentage of its
// segments that are lit, which it also reads as text ("42%"). Nothing can be set from there.
class Meter3Accessible : public platform::AccessibleValue {
public:
    explicit Meter3Accessible(Meter3* meter);

    static int PercentLit(int16_t value);

    QString text(QAccessible::Text type) const override;

protected:
    int value() const override;
    Range range() const override;

private:
    const Meter3* meter() const;
};

// Lets Qt's accessibility find Meter3Accessible for every Meter3; once is enough.
void InstallMeter3Accessibility();

}  // namespace zelko
