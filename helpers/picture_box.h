// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace zelko {

// A picture box whose drawing is retained: text is drawn into an image the widget's size that
// repaints the widget. Positions are in twips until ScaleToCharacters() switches them to
// character units (120 x 240 twips, 8 x 16 pixels). Fonts are sized for the fixed 96 dots per
// inch that the twips conversion assumes (15 twips per pixel), whatever the screen reports.
// Drawing is cheap enough to animate: a text is laid out once per font, all drawing goes
// through one painter that stays open, and only the pixels that changed are repainted.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void SetBackColor(const QColor& color);  // also clears the drawing

    void ScaleToCharacters();
    double ScaleWidth() const;   // inside width in the current units, fractional
    double ScaleHeight() const;  // inside height in the current units, fractional

    void SetFont(const QString& face, double sizePt, bool bold, bool italic, bool underline);
    double FontSize() const;  // the size the resolved face reports, in points

    void SetForeColor(uint32_t bgr);  // 0x00BBGGRR

    double CurrentX = 0;
    double CurrentY = 0;

    void Cls();  // clears to the back colour and puts the drawing position at 0, 0
    // Draws text with its top-left corner at the drawing position, then moves the position to
    // the start of the next line.
    void Print(const QString& text);

    // Puts what was drawn since the widget was last painted on the screen. Drawing itself asks
    // for no repaint (asking for one per character would cost more than drawing them): it
    // shows at Refresh, or wherever the widget is painted for another reason, so an
    // animation's frame shows with the step that drew it and the loop turns once a step.
    void Refresh();

signals:
    // Emitted by Cls before it wipes the drawing: the canvas still holds the last frame.
    void Clearing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A text laid out in the current font, with its top-left corner at 0, 0.
    struct Shaped {
        QList<QGlyphRun> runs;
        QPointF offset;  // where the runs go so the text's top is at 0
        QRectF inked;    // every pixel the text may touch
    };

    void adoptFont(const QFont& font);
    void syncCanvas();
    // Stays open on the canvas until the canvas is replaced: the raster painter draws at once,
    // so the canvas can be read (painted from) meanwhile, and a step of an animation does not
    // pay for opening one.
    QPainter& canvasPainter();
    const Shaped& shaped(const QString& text);
    void changed(const QRect& area);  // remembers the area as drawn on and not yet shown
    double unitWidthPx() const;
    double unitHeightPx() const;

    QImage m_canvas;
    std::optional<QPainter> m_painter;
    QColor m_back = Qt::white;
    QColor m_fore = Qt::black;
    QFont m_font;
    double m_fontSize = 0;
    double m_ascent = 0;
    double m_lineHeight = 0;
    QHash<QString, Shaped> m_shapes;  // for m_font
    QRect m_drawn;                    // what was drawn since the canvas was last cleared
    QRect m_unshown;                  // what changed since the widget was last painted
    bool m_characterUnits = false;
};

}  // namespace zelko
