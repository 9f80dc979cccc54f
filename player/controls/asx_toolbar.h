// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class QAbstractButton;

namespace zelko {

class ToolbarButton;

// A row of text buttons. A click raises ButtonClick with the 1-based index and the key.
// ButtonPressed is a latched state per button that only the program sets: a click does not
// change it. A pressed button is drawn sunk so the user sees it, and a screen reader tells it;
// a button of the check style is told as a switch that is checked while latched.
//
// Layout: buttons sit left to right from the toolbar's left edge, the button gap apart, as tall
// as the toolbar, each as wide as its caption (trailing blanks count). Buttons past the right
// edge are cut off. The look is the saved settings the window uses: sunk and raised edges in
// 3-D, and the button under the pointer raised.
class AsxToolbar : public QWidget {
    Q_OBJECT
public:
    enum class ButtonStyle { Default, Check };

    explicit AsxToolbar(QWidget* parent = nullptr);

    void AddButton(const QString& caption, const QString& key, const QString& toolTip,
                   ButtonStyle style = ButtonStyle::Default);
    int ButtonCount() const;
    QAbstractButton* Button(int index) const;  // 1-based; null outside the range

    bool ButtonPressed(int index) const;             // false outside the range
    void SetButtonPressed(int index, bool pressed);  // ignored outside the range

    void SetButtonGap(int pixels);  // negative counts as 0
    void SetColors(const QColor& text, const QColor& back);
    // The font the buttons' tooltips show in (the application's tooltip font until set).
    void SetToolTipFont(const QFont& font);
    QFont ToolTipFont() const;

signals:
    void ButtonClick(int index, const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ToolbarButton* at(int index) const;
    void restyle();
    void layoutButtons();

    std::vector<ToolbarButton*> m_buttons;
    int m_gap = 0;
    QColor m_text = Qt::green;
    QColor m_back = Qt::black;
    std::optional<QFont> m_toolTipFont;
};

}  // namespace zelko
