// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

namespace zelko {

// The position slider: a rail and a thumb drawn from images of our own. A put of the value
// never raises ThumbMoved; the user's thumb does, as it moves (a drag, or a click on the rail).
// ThumbMoved is raised from the event loop once the pending input has been read, with the
// value the thumb has then: moves that come while a handler is still busy (a seek) make one
// raise, so the handler never falls behind the thumb. While the user holds the thumb, and
// until its last move is raised, puts from the program are ignored so the thumb does not jump
// back under the pointer. Tab reaches the slider (a click does not give it the focus), and a
// dotted frame marks it then; its keys are its container's to give meaning to. A screen reader
// sees a slider whose value it can set, which moves the thumb as the user does.
class CpvSlider : public QWidget {
    Q_OBJECT
public:
    explicit CpvSlider(QWidget* parent = nullptr);  // range -1..100, value -1

    int Value() const;
    void SetValue(int value);  // clamped to the range; no event; the value held does nothing
    int Min() const;
    int Max() const;
    void SetRange(int min, int max);  // swapped when min > max; the value is clamped, no event
    // Moves the thumb to the value (clamped) as the user's pointer would: ThumbMoved follows,
    // also when the thumb already stands there.
    void MoveThumb(int value);

    QRect ThumbRect() const;         // where the thumb is drawn, in widget pixels
    int XForValue(int value) const;  // the thumb's centre for that value

    QSize sizeHint() const override;

signals:
    void ThumbMoved(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int travel() const;
    int valueForThumbLeft(int left) const;
    void moveThumbTo(int left);
    void setShownValue(int value);  // the value drawn and told to a screen reader
    void raiseThumbMoved();         // soon, once, with the value the thumb has then

    int m_min = -1;
    int m_max = 100;
    int m_value = -1;
    bool m_dragging = false;
    bool m_pressedOnRail = false;
    int m_grabOffset = 0;
    bool m_raisePending = false;
    bool m_raisedInGesture = false;
};

}  // namespace zelko
