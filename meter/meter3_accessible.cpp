// SPDX-License-Identifier: GPL-3.0-or-later
#include "meter/meter3_accessible.h"

#include "meter/meter3.h"

namespace zelko {

Meter3Accessible::Meter3Accessible(Meter3* meter) : AccessibleValue(meter, QAccessible::ProgressBar) {}

const Meter3* Meter3Accessible::meter() const
{
    return static_cast<const Meter3*>(widget());
}

int Meter3Accessible::PercentLit(int16_t value)
{
    return value * 100 / Meter3::kSegments;
}

QString Meter3Accessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value) {
        return QString::number(value()) + QLatin1Char('%');
    }
    return AccessibleValue::text(type);
}

int Meter3Accessible::value() const
{
    return PercentLit(meter()->Value());
}

auto Meter3Accessible::range() const -> Range
{
    return {0, 100, 100 / Meter3::kSegments};
}

void InstallMeter3Accessibility()
{
    platform::installAccessibleFactory<Meter3, Meter3Accessible>();
}

}  // namespace zelko
