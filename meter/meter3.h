// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <cstdint>

#include "meter/property_bag.h"

namespace zelko {

// The LED bar: 50 segments on black, the first Value() of them lit. Always 3255 x 525 twips
// (217 x 35 pixels): a container's resize is undone. A screen reader sees a progress bar at the
// share of segments lit, in percent.
class Meter3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int16_t kSegments = 50;
    static constexpr int kWidthTwips = 3255;
    static constexpr int kHeightTwips = 525;
    static constexpr QRgb kLit = 0xff00ff00;    // RGB(0, 255, 0)
    static constexpr QRgb kUnlit = 0xff008000;  // RGB(0, 128, 0)

    explicit Meter3(QWidget* parent = nullptr);

    int16_t Value() const;
    // Refuses a value outside 0..50 (returns false, nothing changes); a put of the value
    // already held changes nothing. Tells the container through PropertyChanged("Value").
    bool SetValue(int16_t value);
    int16_t Border() const;
    bool SetBorder(int16_t border);  // 0 none, 1 single line; anything else refused

    void ShowLevel();      // recolours the segments from mLevel
    void SetLevelValue();  // mLevel = Value()
    int16_t mLevel = 0;

    // Loading sets the value and border without telling the container (nothing changed for it).
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Segment k's outer rectangle in pixels, border included (k from 0 to 49).
    static QRect SegmentRect(int k);

signals:
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyValue(int16_t value);

    int16_t m_value = 0;
    int16_t m_border = 0;  // the design border of a freshly placed meter is none
    int16_t m_shownLevel = 0;
};

}  // namespace zelko
