// SPDX-License-Identifier: GPL-3.0-or-later
#include "meter/meter3.h"

#include <QAccessible>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "meter/meter3_accessible.h"
#include "platform/twips.h"

namespace zelko {

namespace {

// Segment k lies at Left 120 + 60k twips: each is 80 wide, so it overlaps its left neighbour by
// 20 twips and the two share one border line.
constexpr int kFirstLeftTwips = 120;
constexpr int kPitchTwips = 60;
constexpr int kTopTwips = 120;
constexpr int kSegmentWidthTwips = 80;
constexpr int kSegmentHeightTwips = 300;

constexpr int16_t kValueDefault = 0;
constexpr int16_t kBorderDefault = 1;

QSize fixedPixelSize()
{
    return {TwipsToPx(Meter3::kWidthTwips), TwipsToPx(Meter3::kHeightTwips)};
}

}  // namespace

Meter3::Meter3(QWidget* parent) : QWidget(parent)
{
    setFixedSize(fixedPixelSize());
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallMeter3Accessibility();
}

QRect Meter3::SegmentRect(int k)
{
    return {TwipsToPx(kFirstLeftTwips + kPitchTwips * k), TwipsToPx(kTopTwips), TwipsToPx(kSegmentWidthTwips),
            TwipsToPx(kSegmentHeightTwips)};
}

int16_t Meter3::Value() const
{
    return m_value;
}

bool Meter3::SetValue(int16_t value)
{
    if (value < 0 || value > kSegments) {
        return false;
    }
    if (value == m_value) {
        return true;
    }
    applyValue(value);
    emit PropertyChanged(QStringLiteral("Value"));
    return true;
}

int16_t Meter3::Border() const
{
    return m_border;
}

bool Meter3::SetBorder(int16_t border)
{
    if (border != 0 && border != 1) {
        return false;
    }
    if (border == m_border) {
        return true;
    }
    m_border = border;
    update();
    emit PropertyChanged(QStringLiteral("Border"));
    return true;
}

void Meter3::applyValue(int16_t value)
{
    m_value = value;
    SetLevelValue();
    ShowLevel();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, Meter3Accessible::PercentLit(value));
        QAccessible::updateAccessibility(&event);
    }
}

void Meter3::SetLevelValue()
{
    mLevel = m_value;
}

void Meter3::ShowLevel()
{
    // Only the segments that turn on or off are drawn again.
    const int from = std::min<int>(m_shownLevel, mLevel);
    const int to = std::max<int>(m_shownLevel, mLevel);
    m_shownLevel = mLevel;
    if (from < to) {
        update(SegmentRect(from).united(SegmentRect(to - 1)));
    }
}

void Meter3::ReadProperties(const PropertyBag& bag)
{
    const int value = bag.ReadProperty(QStringLiteral("Value"), kValueDefault);
    if (value >= 0 && value <= kSegments && value != m_value) {
        applyValue(static_cast<int16_t>(value));
    }
    const int border = bag.ReadProperty(QStringLiteral("Border"), kBorderDefault);
    if ((border == 0 || border == 1) && border != m_border) {
        m_border = static_cast<int16_t>(border);
        update();
    }
}

void Meter3::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Value"), m_value, kValueDefault);
    bag.WriteProperty(QStringLiteral("Border"), m_border, kBorderDefault);
}

void Meter3::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // Rising index order: each segment's left border line is drawn over its neighbour's right one.
    for (int k = 0; k < kSegments; ++k) {
        const QRect r = SegmentRect(k);
        p.fillRect(r, QColor::fromRgb(k < m_shownLevel ? kLit : kUnlit));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (m_border == 1) {
        p.setPen(QColor(128, 128, 128));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void Meter3::resizeEvent(QResizeEvent* event)
{
    // A container that bent the size limits still gets the meter back at its fixed size.
    if (event->size() != fixedPixelSize()) {
        setFixedSize(fixedPixelSize());
    }
    QWidget::resizeEvent(event);
}

}  // namespace zelko
