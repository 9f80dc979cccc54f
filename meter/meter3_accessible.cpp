// SPDX-License-Identifier: GPL-3.0-or-later
#include "meter/meter3_accessible.h"

#include "meter/meter3.h"

namespace zelko {

namespace {

QAccessibleInterface* CreateForMeter(const QString& key, QObject* object)
{
    if (key != QLatin1String(Meter3::staticMetaObject.className())) {
        return nullptr;
    }
    return new Meter3Accessible(static_cast<Meter3*>(object));
}

}  // namespace

Meter3Accessible::Meter3Accessible(Meter3* meter) : QAccessibleWidget(meter, QAccessible::ProgressBar) {}

const Meter3* Meter3Accessible::meter() const
{
    return static_cast<const Meter3*>(widget());
}

int Meter3Accessible::PercentLit(int16_t value)
{
    return value * 100 / Meter3::kSegments;
}

void* Meter3Accessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString Meter3Accessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value) {
        return QString::number(PercentLit(meter()->Value())) + QLatin1Char('%');
    }
    return QAccessibleWidget::text(type);
}

QVariant Meter3Accessible::currentValue() const
{
    return PercentLit(meter()->Value());
}

void Meter3Accessible::setCurrentValue(const QVariant&) {}

QVariant Meter3Accessible::maximumValue() const
{
    return 100;
}

QVariant Meter3Accessible::minimumValue() const
{
    return 0;
}

QVariant Meter3Accessible::minimumStepSize() const
{
    return 100 / Meter3::kSegments;
}

void InstallMeter3Accessibility()
{
    static const bool installed = (QAccessible::installFactory(CreateForMeter), true);
    (void)installed;
}

}  // namespace zelko
