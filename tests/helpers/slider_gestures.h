#pragma once

// The user's pointer on a CpvSlider, for tests: real mouse events delivered to the widget
// through the application, as the window system would deliver them. The slider should be
// shown and laid out at its final width.
#include <QApplication>
#include <QMouseEvent>

#include "player/controls/cpv_slider.h"

namespace zelko::test {

inline void sendMouse(QWidget& w, QEvent::Type type, int x, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF pos(x, w.height() / 2);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, pos, w.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// Presses on the thumb, drags it to where `value` lies and lets go: one ThumbMoved(value).
inline void DragThumbTo(CpvSlider& slider, int value) {
    const int from = slider.ThumbRect().center().x();
    const int to = slider.XForValue(value);
    sendMouse(slider, QEvent::MouseButtonPress, from);
    sendMouse(slider, QEvent::MouseMove, (from + to) / 2);
    sendMouse(slider, QEvent::MouseMove, to);
    sendMouse(slider, QEvent::MouseButtonRelease, to);
}

// A click on the rail where `value` lies: the thumb jumps there, one ThumbMoved(value).
inline void ClickRailAt(CpvSlider& slider, int value) {
    const int x = slider.XForValue(value);
    sendMouse(slider, QEvent::MouseButtonPress, x);
    sendMouse(slider, QEvent::MouseButtonRelease, x);
}

}  // namespace zelko::test
