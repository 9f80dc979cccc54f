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
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zelko {

class PictureFilm;

// A picture box whose drawing is retained: text is drawn into an image the widget's size that
// repaints the widget. Positions are in twips until ScaleToCharacters() switches them to
// character units (120 x 240 twips, 8 x 16 pixels). Fonts are sized for the fixed 96 dots per
// inch that the twips conversion assumes (15 twips per pixel), whatever the screen reports.
// Drawing is cheap enough to animate: a text is laid out once per font, all drawing goes
// through one painter that stays open, and only the pixels that changed are repainted.
//
// An animation can also be drawn ahead: its frames are drawn once and then only shown. On X11
// they are kept in the X server, so a step is one copy request, and a run of them can be handed
// to the server, which shows them on its own clock; elsewhere (offscreen, Wayland) nothing is
// kept and each step draws as above.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

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

    // Readies the frames of `key`: draw(k) draws frame k with Cls and Print (no Clearing is
    // emitted meanwhile). Frames made before for the same key, in the same font and colours, with
    // the box where it lies and at the same pixel ratio, are kept. False where frames are not kept.
    bool LoadFrames(const QString& key, int count, const std::function<void(int)>& draw);
    // Emits Clearing, then shows frame `frame` of the loaded frames.
    void ShowFrame(int frame);
    // Has the X server show the loaded frames from `first` on, one every intervalNs, the first
    // an interval from now. False when it cannot time them; ShowFrame steps them then.
    bool RunFrames(int first, qint64 intervalNs);
    // Ends a run where it stands.
    void EndFrames();
    // Whether anything receives Clearing: then each step must come from the window itself.
    bool StepsFollowed() const;
    // Frames are kept where the platform can keep them (the default), or every step is drawn.
    void SetKeepFrames(bool keep);

    // What the loaded frames cost, and what they do now.
    struct FramesState {
        int count = 0;                // 0: none loaded
        std::size_t serverBytes = 0;  // of the X server's memory
        qint64 madeNs = 0;            // making their strip, drawing and uploading them
        bool mapped = false;          // their strip lies over the box
        bool running = false;         // a run goes on
        bool queued = false;          // the run's frames wait in the server to be shown
    };
    FramesState Frames() const;

signals:
    // Emitted by Cls before it wipes the drawing (the canvas still holds the last frame), and by
    // ShowFrame before the frame replaces the one shown.
    void Clearing();
    // The loaded frames stopped showing while a run went on (the box was drawn on, moved,
    // resized or hidden, or its pixel ratio changed): whoever ran them draws the rest.
    void FramesLost();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class PictureFilm;

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
    void leaveFrames();  // the canvas shows again; a run that went on is lost
    void dropFrames();   // and the frames are no longer kept

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
    std::unique_ptr<PictureFilm> m_film;
    bool m_keepFrames = true;
    bool m_recording = false;  // the film draws its frames on the canvas
};

}  // namespace zelko
