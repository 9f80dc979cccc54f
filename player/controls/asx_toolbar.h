#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QAbstractButton;

// A row of text buttons. A click raises ButtonClick with the 1-based index and the key.
// ButtonPressed is a latched state per button that only the program sets: a click does not
// change it. A pressed button is drawn sunk so the user sees it.
class AsxToolbar : public QWidget {
    Q_OBJECT
public:
    explicit AsxToolbar(QWidget* parent = nullptr);

    void AddButton(const QString& caption, const QString& key, const QString& toolTip);
    int ButtonCount() const;
    QAbstractButton* Button(int index) const;  // 1-based; null outside the range

    bool ButtonPressed(int index) const;  // false outside the range
    void SetButtonPressed(int index, bool pressed);

    void SetButtonGap(int pixels);
    void SetColors(const QColor& text, const QColor& back);

signals:
    void ButtonClick(int index, const QString& key);
};
