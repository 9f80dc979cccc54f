// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/cpv_slider.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "player/controls/cpv_slider_accessible.h"
#include "player/controls/slider_images.h"

namespace zelko {

using zelko::controls::RailImage;
using zelko::controls::ThumbImage;

CpvSlider::CpvSlider(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    InstallCpvSliderAccessibility();
}

int CpvSlider::Value() const
{
    return m_value;
}

void CpvSlider::SetValue(int value)
{
    if (m_dragging || m_raisePending) {
        return;
    }
    setShownValue(std::clamp(value, m_min, m_max));
}

void CpvSlider::MoveThumb(int value)
{
    setShownValue(std::clamp(value, m_min, m_max));
    raiseThumbMoved();
}

void CpvSlider::setShownValue(int value)
{
    if (value == m_value) {
        return;
    }
    m_value = value;
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
}

int CpvSlider::Min() const
{
    return m_min;
}

int CpvSlider::Max() const
{
    return m_max;
}

void CpvSlider::SetRange(int min, int max)
{
    if (min > max) {
        std::swap(min, max);
    }
    m_min = min;
    m_max = max;
    m_value = std::clamp(m_value, m_min, m_max);
    update();
}

QSize CpvSlider::sizeHint() const
{
    return {226, 16};
}

int CpvSlider::travel() const
{
    return std::max(0, width() - ThumbImage().width());
}

QRect CpvSlider::ThumbRect() const
{
    const QSize thumb = ThumbImage().size();
    const int span = m_max - m_min;
    const int left = span == 0 ? 0 : static_cast<int>(std::lround(double(m_value - m_min) * travel() / span));
    return {QPoint(left, (height() - thumb.height()) / 2), thumb};
}

int CpvSlider::XForValue(int value) const
{
    const int span = m_max - m_min;
    const int clamped = std::clamp(value, m_min, m_max);
    const int left = span == 0 ? 0 : static_cast<int>(std::lround(double(clamped - m_min) * travel() / span));
    return left + ThumbImage().width() / 2;
}

int CpvSlider::valueForThumbLeft(int left) const
{
    if (travel() == 0) {
        return m_min;
    }
    const double fraction = std::clamp(double(left) / travel(), 0.0, 1.0);
    return m_min + static_cast<int>(std::lround(fraction * (m_max - m_min)));
}

void CpvSlider::moveThumbTo(int left)
{
    const int value = valueForThumbLeft(left);
    if (value == m_value) {
        return;
    }
    setShownValue(value);
    raiseThumbMoved();
}

void CpvSlider::raiseThumbMoved()
{
    m_raisedInGesture = true;
    if (m_raisePending) {
        return;
    }
    m_raisePending = true;
    // Queued behind the input already read, so a burst of moves gives one raise.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_raisePending) {
                return;  // the gesture was dropped meanwhile
            }
            m_raisePending = false;
            emit ThumbMoved(m_value);
        },
        Qt::QueuedConnection);
}

void CpvSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The window-text colour of the design, black in the standard scheme.
    p.fillRect(rect(), Qt::black);
    const QImage& rail = RailImage();
    // The rail keeps its own height and spans the widget, less a 2-pixel margin each side.
    const QRect railRect(2, (height() - rail.height()) / 2, std::max(0, width() - 4), rail.height());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(railRect, rail);
    p.drawImage(ThumbRect().topLeft(), ThumbImage());
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CpvSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int x = static_cast<int>(event->position().x());
    m_raisedInGesture = false;
    m_dragging = true;
    const QRect thumb = ThumbRect();
    m_pressedOnRail = !(x >= thumb.left() && x <= thumb.right());
    if (m_pressedOnRail) {
        // A click on the rail brings the thumb's centre under the pointer; holding on drags it.
        m_grabOffset = thumb.width() / 2;
        moveThumbTo(x - m_grabOffset);
    } else {
        m_grabOffset = x - thumb.left();
    }
}

void CpvSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        return;
    }
    moveThumbTo(static_cast<int>(event->position().x()) - m_grabOffset);
}

void CpvSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        return;
    }
    moveThumbTo(static_cast<int>(event->position().x()) - m_grabOffset);
    m_dragging = false;
    // A click on the rail where the thumb already stands still asks for that place.
    if (m_pressedOnRail && !m_raisedInGesture) {
        raiseThumbMoved();
    }
}

void CpvSlider::hideEvent(QHideEvent* event)
{
    // A gesture cut short by hiding is dropped: what it has not raised yet is not raised, and
    // puts apply again.
    m_dragging = false;
    m_raisePending = false;
    QWidget::hideEvent(event);
}

}  // namespace zelko
