#pragma once

#include <QWidget>
#include <cstdint>

#include "meter/property_bag.h"

// The LED bar: 50 segments on black, the first Value() of them lit. Always 3255 x 525 twips.
class Meter3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int16_t kSegments = 50;

    explicit Meter3(QWidget* parent = nullptr);

    int16_t Value() const;
    // Refuses a value outside 0..50 (returns false, nothing changes); a put of the value
    // already held changes nothing. Tells the container through PropertyChanged("Value").
    bool SetValue(int16_t value);
    int16_t Border() const;
    bool SetBorder(int16_t border);  // 0 none, 1 single line; anything else refused

    void ShowLevel();
    void SetLevelValue();
    int16_t mLevel = 0;

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

signals:
    void PropertyChanged(const QString& name);
};
