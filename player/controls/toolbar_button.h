// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QColor>

namespace zelko {

// One button of an AsxToolbar: its caption drawn as written (trailing blanks widen it), a sunk
// and lit look while latched or held down, a raised edge under the pointer. Tab reaches it (a
// click does not move the focus to it) and a dotted frame in the caption's colour marks it
// then; Space or Enter presses it. A screen reader knows it by its caption without the blanks,
// as a button that is pressed while latched; a check-style button (one the program latches as
// a switch) is also told as one that can be checked, and checked while latched.
class ToolbarButton : public QAbstractButton {
    Q_OBJECT
public:
    ToolbarButton(const QString& caption, const QString& key, bool checkStyle, QWidget* parent);

    QString Key() const;
    bool CheckStyle() const;
    bool Latched() const;
    void SetLatched(bool latched);
    void SetColors(const QColor& text, const QColor& back);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_key;
    bool m_checkStyle = false;
    bool m_latched = false;
    bool m_hover = false;
    QColor m_text = Qt::green;
    QColor m_back = Qt::black;
};

}  // namespace zelko
