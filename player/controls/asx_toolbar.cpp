// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/asx_toolbar.h"

#include <QEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "player/controls/toolbar_button.h"

namespace zelko {

AsxToolbar::AsxToolbar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AsxToolbar::AddButton(const QString& caption, const QString& key, const QString& toolTip, ButtonStyle style)
{
    auto* button = new ToolbarButton(caption, key, style == ButtonStyle::Check, this);
    button->setToolTip(toolTip);
    button->setAccessibleDescription(toolTip);
    button->installEventFilter(this);
    const int index = static_cast<int>(m_buttons.size()) + 1;
    // clicked() comes only from the user (or click()), never from SetButtonPressed.
    connect(button, &QAbstractButton::clicked, this, [this, index, button] { emit ButtonClick(index, button->Key()); });
    m_buttons.push_back(button);
    restyle();
    layoutButtons();
    button->show();
}

int AsxToolbar::ButtonCount() const
{
    return static_cast<int>(m_buttons.size());
}

ToolbarButton* AsxToolbar::at(int index) const
{
    if (index < 1 || index > ButtonCount()) {
        return nullptr;
    }
    return m_buttons[static_cast<size_t>(index - 1)];
}

QAbstractButton* AsxToolbar::Button(int index) const
{
    return at(index);
}

bool AsxToolbar::ButtonPressed(int index) const
{
    return at(index) && at(index)->Latched();
}

void AsxToolbar::SetButtonPressed(int index, bool pressed)
{
    if (ToolbarButton* button = at(index)) {
        button->SetLatched(pressed);
    }
}

void AsxToolbar::SetButtonGap(int pixels)
{
    m_gap = std::max(0, pixels);
    layoutButtons();
}

void AsxToolbar::SetColors(const QColor& text, const QColor& back)
{
    m_text = text;
    m_back = back;
    restyle();
    update();
}

void AsxToolbar::SetToolTipFont(const QFont& font)
{
    m_toolTipFont = font;
}

QFont AsxToolbar::ToolTipFont() const
{
    return m_toolTipFont.value_or(QToolTip::font());
}

bool AsxToolbar::eventFilter(QObject* watched, QEvent* event)
{
    // Tooltips have one font for the whole application; a toolbar with its own puts it in
    // place just before a button of its shows its tip.
    if (event->type() == QEvent::ToolTip && m_toolTipFont && QToolTip::font() != *m_toolTipFont) {
        QToolTip::setFont(*m_toolTipFont);
    }
    return QWidget::eventFilter(watched, event);
}

void AsxToolbar::restyle()
{
    for (ToolbarButton* button : m_buttons) {
        button->SetColors(m_text, m_back);
    }
}

void AsxToolbar::layoutButtons()
{
    int x = 0;
    for (ToolbarButton* button : m_buttons) {
        const int w = button->sizeHint().width();
        button->setGeometry(x, 0, w, height());
        x += w + m_gap;
    }
}

void AsxToolbar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_back);
}

void AsxToolbar::resizeEvent(QResizeEvent* event)
{
    layoutButtons();
    QWidget::resizeEvent(event);
}

void AsxToolbar::changeEvent(QEvent* event)
{
    // Captions measure differently in a new font.
    if (event->type() == QEvent::FontChange) {
        layoutButtons();
    }
    QWidget::changeEvent(event);
}

}  // namespace zelko
