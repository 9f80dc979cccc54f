// SPDX-License-Identifier: GPL-3.0-or-later
#include "meter/property_bag.h"

namespace zelko {

int PropertyBag::ReadProperty(const QString& name, int defaultValue) const
{
    return m_values.value(name.toLower(), defaultValue);
}

void PropertyBag::WriteProperty(const QString& name, int value, int defaultValue)
{
    const QString key = name.toLower();
    if (value == defaultValue) {
        m_values.remove(key);
        return;
    }
    m_values.insert(key, value);
}

bool PropertyBag::Contains(const QString& name) const
{
    return m_values.contains(name.toLower());
}

QStringList PropertyBag::Keys() const
{
    return m_values.keys();
}

}  // namespace zelko
