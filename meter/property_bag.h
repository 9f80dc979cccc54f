// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace zelko {

// A container's saved properties for one control. Keys are matched without regard to case
// and stored in lower case; a property equal to its default is not written.
class PropertyBag {
public:
    int ReadProperty(const QString& name, int defaultValue) const;
    // Writing the default removes any earlier entry, so the bag holds only what differs.
    void WriteProperty(const QString& name, int value, int defaultValue);
    bool Contains(const QString& name) const;
    QStringList Keys() const;  // lower case, sorted

private:
    QMap<QString, int> m_values;
};

}  // namespace zelko
