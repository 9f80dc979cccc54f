#pragma once

#include <QWidget>

// The position slider: a rail and a thumb drawn from images of our own. A put of the value
// never raises ThumbMoved; a drag of the thumb or a click on the rail by the user does.
class CpvSlider : public QWidget {
    Q_OBJECT
public:
    explicit CpvSlider(QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);  // clamped to the range; no event
    int Min() const;
    int Max() const;
    void SetRange(int min, int max);

signals:
    void ThumbMoved(int value);
};
