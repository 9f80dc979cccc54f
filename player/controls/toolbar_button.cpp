// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/toolbar_button.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

#include "platform/accessible_value.h"

namespace zelko {

namespace {

constexpr int kPaddingX = 4;
constexpr int kPaddingY = 3;

// A latched button shows on a lifted back colour so it reads as "on" at a glance.
QColor latchedBack(const QColor& back)
{
    return back.lightness() < 64 ? QColor(0, 72, 0) : back.darker(130);
}

void drawEdge(QPainter& p, const QRect& r, bool sunk)
{
    const QColor light(190, 190, 190);
    const QColor dark(70, 70, 70);
    p.setPen(sunk ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunk ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

// Qt's own interface would make a button that can be checked a check box, and would take the
// button's checked state, which a click changes, for the latch, which only the program sets.
class ToolbarButtonAccessible : public QAccessibleWidget {
public:
    explicit ToolbarButtonAccessible(ToolbarButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const auto* b = static_cast<const ToolbarButton*>(widget());
        state.pressed = b->Latched() || b->isDown();
        state.checkable = b->CheckStyle();
        state.checked = b->CheckStyle() && b->Latched();
        return state;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& action) override
    {
        if (action == pressAction()) {
            static_cast<ToolbarButton*>(widget())->animateClick();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

}  // namespace

ToolbarButton::ToolbarButton(const QString& caption, const QString& key, bool checkStyle, QWidget* parent)
    : QAbstractButton(parent), m_key(key), m_checkStyle(checkStyle)
{
    platform::installAccessibleFactory<ToolbarButton, ToolbarButtonAccessible>();
    setText(caption);
    setAccessibleName(caption.trimmed());
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

QString ToolbarButton::Key() const
{
    return m_key;
}

bool ToolbarButton::CheckStyle() const
{
    return m_checkStyle;
}

bool ToolbarButton::Latched() const
{
    return m_latched;
}

void ToolbarButton::SetLatched(bool latched)
{
    if (latched == m_latched) {
        return;
    }
    m_latched = latched;
    update();
    QAccessible::State changed;
    changed.pressed = true;
    changed.checked = m_checkStyle;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ToolbarButton::SetColors(const QColor& text, const QColor& back)
{
    m_text = text;
    m_back = back;
    update();
}

QSize ToolbarButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingX, metrics.height() + 2 * kPaddingY};
}

void ToolbarButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool sunk = m_latched || isDown();
    p.fillRect(rect(), m_latched ? latchedBack(m_back) : m_back);
    if (sunk || m_hover) {
        drawEdge(p, rect(), sunk);
    }
    p.setPen(m_text);
    p.setFont(font());
    // Held or latched, the caption moves one pixel down and right as on a pushed key.
    const QRect textRect = rect().adjusted(kPaddingX, 0, -kPaddingX, 0).translated(sunk ? 1 : 0, sunk ? 1 : 0);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        p.setPen(QPen(m_text, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void ToolbarButton::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ToolbarButton::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ToolbarButton::keyPressEvent(QKeyEvent* event)
{
    // Space is the button's own key already; Enter presses it as well, once per stroke.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat()) {
            animateClick();
        }
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace zelko
