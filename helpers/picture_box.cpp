// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/picture_box.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMetaMethod>
#include <QPaintEvent>
#include <QRawFont>
#include <QTextLayout>
#include <utility>

#include "helpers/picture_film.h"
#include "platform/twips.h"

namespace zelko {

namespace {

constexpr int kCharWidthTwips = 120;
constexpr int kCharHeightTwips = 240;
// 96 dots per inch in dots per metre: the resolution at which 15 twips make one pixel.
constexpr int kDotsPerMetre = 3780;
// Laid-out texts kept per font: the scroller prints one character at a time, so a handful.
constexpr qsizetype kMostShapes = 512;
// Antialiasing reaches a pixel beyond a glyph's outline.
constexpr qreal kInkMarginPx = 2;

QImage blankCanvas(const QSize& size, const QColor& back)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(back);
    return image;
}

// Texts that a one-line layout would break or space otherwise than the painter's own drawText.
bool layoutDiffers(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            return true;
        }
    }
    return false;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas = blankCanvas(size(), m_back);
    adoptFont(font());
}

PictureBox::~PictureBox() = default;

void PictureBox::SetBackColor(const QColor& color)
{
    dropFrames();  // they were drawn on the old colour
    m_back = color;
    canvasPainter().fillRect(m_canvas.rect(), m_back);
    m_drawn = QRect();
    update();
}

void PictureBox::ScaleToCharacters()
{
    m_characterUnits = true;
}

double PictureBox::unitWidthPx() const
{
    return (m_characterUnits ? kCharWidthTwips : 1.0) / kTwipsPerPixel;
}

double PictureBox::unitHeightPx() const
{
    return (m_characterUnits ? kCharHeightTwips : 1.0) / kTwipsPerPixel;
}

double PictureBox::ScaleWidth() const
{
    return width() / unitWidthPx();
}

double PictureBox::ScaleHeight() const
{
    return height() / unitHeightPx();
}

void PictureBox::SetFont(const QString& face, double sizePt, bool bold, bool italic, bool underline)
{
    QFont f(face);
    if (sizePt > 0) {
        f.setPointSizeF(sizePt);
    }
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    // The scroller sets the same font on every pass; its laid-out texts stay good.
    if (f == m_font && f.resolveMask() == m_font.resolveMask()) {
        return;
    }
    adoptFont(f);
}

void PictureBox::adoptFont(const QFont& font)
{
    m_font = font;
    m_shapes.clear();
    // The canvas fixes the resolution, so the size reported is the one the text is drawn at.
    QPainter& painter = canvasPainter();
    painter.setFont(m_font);
    m_fontSize = painter.fontInfo().pointSizeF();
    const QFontMetricsF metrics(m_font, &m_canvas);
    m_ascent = metrics.ascent();
    m_lineHeight = metrics.height();
}

double PictureBox::FontSize() const
{
    return m_fontSize;
}

void PictureBox::SetForeColor(uint32_t bgr)
{
    m_fore = QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

void PictureBox::Cls()
{
    if (!m_recording) {
        emit Clearing();
        leaveFrames();
    }
    QPainter& painter = canvasPainter();
    // Outside what was drawn the canvas holds the back colour already.
    if (!m_drawn.isEmpty()) {
        painter.fillRect(m_drawn, m_back);
        m_unshown |= std::exchange(m_drawn, QRect());
    }
    CurrentX = 0;
    CurrentY = 0;
}

void PictureBox::Print(const QString& text)
{
    if (!m_recording) {
        leaveFrames();
    }
    const QPointF topLeft(CurrentX * unitWidthPx(), CurrentY * unitHeightPx());
    QPainter& painter = canvasPainter();
    painter.setPen(m_fore);
    if (layoutDiffers(text)) {
        painter.drawText(topLeft + QPointF(0, m_ascent), text);
        changed(rect());
    } else {
        const Shaped& laidOut = shaped(text);
        for (const QGlyphRun& run : laidOut.runs) {
            painter.drawGlyphRun(topLeft + laidOut.offset, run);
        }
        changed(laidOut.inked.translated(topLeft).toAlignedRect());
    }
    CurrentX = 0;
    CurrentY += m_lineHeight / unitHeightPx();
}

void PictureBox::Refresh()
{
    if (!m_unshown.isEmpty() && isVisible()) {
        repaint(m_unshown);
    }
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    if (event->rect().contains(m_unshown)) {
        m_unshown = QRect();
    }
    syncCanvas();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    dropFrames();
    syncCanvas();
    QWidget::resizeEvent(event);
}

void PictureBox::moveEvent(QMoveEvent* event)
{
    dropFrames();
    QWidget::moveEvent(event);
}

void PictureBox::hideEvent(QHideEvent* event)
{
    // A minimized window hides its widgets too; the frames follow that themselves and go on.
    if (!event->spontaneous()) {
        leaveFrames();
    }
    QWidget::hideEvent(event);
}

bool PictureBox::event(QEvent* event)
{
    // A window that moves to another screen may change its pixel ratio, or its native window.
    if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::WinIdChange) {
        dropFrames();
    }
    return QWidget::event(event);
}

bool PictureBox::LoadFrames(const QString& key, int count, const std::function<void(int)>& draw)
{
    if (!m_keepFrames) {
        return false;
    }
    const QString fullKey = QStringLiteral("%1|%2|%3|%4|%5x%6")
                                .arg(key, m_font.key())
                                .arg(m_fore.rgb())
                                .arg(m_back.rgb())
                                .arg(width())
                                .arg(height());
    if (m_film && m_film->fits(*this, fullKey) && m_film->count() == count) {
        return true;
    }
    std::unique_ptr<PictureFilm> film = PictureFilm::record(*this, fullKey, count, draw, m_film.get());
    if (!film) {
        dropFrames();
        return false;
    }
    m_film = std::move(film);
    return true;
}

void PictureBox::ShowFrame(int frame)
{
    emit Clearing();
    if (m_film) {
        m_film->show(frame);
    }
}

bool PictureBox::RunFrames(int first, qint64 intervalNs)
{
    return m_film && m_film->run(first, intervalNs);
}

void PictureBox::EndFrames()
{
    if (m_film) {
        m_film->stop();
    }
}

bool PictureBox::StepsFollowed() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&PictureBox::Clearing));
}

void PictureBox::SetKeepFrames(bool keep)
{
    m_keepFrames = keep;
    if (!keep) {
        dropFrames();
    }
}

PictureBox::FramesState PictureBox::Frames() const
{
    if (!m_film) {
        return {};
    }
    return {m_film->count(),  m_film->serverBytes(), m_film->madeNs(),
            m_film->mapped(), m_film->running(),     m_film->queued()};
}

void PictureBox::leaveFrames()
{
    if (m_film && m_film->mapped()) {
        const bool running = m_film->running();
        m_film->hide();
        if (running) {
            emit FramesLost();
        }
    }
}

void PictureBox::dropFrames()
{
    leaveFrames();
    m_film.reset();
}

void PictureBox::syncCanvas()
{
    // A hidden widget gets its resize event only when shown, so every use checks the size.
    if (m_canvas.size() == size().expandedTo(QSize(1, 1))) {
        return;
    }
    m_painter.reset();
    // The drawing is kept where it fits; new area shows the back colour.
    QImage grown = blankCanvas(size(), m_back);
    QPainter painter(&grown);
    painter.drawImage(0, 0, m_canvas);
    painter.end();
    m_canvas = grown;
    m_drawn &= m_canvas.rect();
}

QPainter& PictureBox::canvasPainter()
{
    syncCanvas();
    if (!m_painter) {
        m_painter.emplace(&m_canvas);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
        m_painter->setFont(m_font);
    }
    return *m_painter;
}

void PictureBox::changed(const QRect& area)
{
    const QRect shown = area & m_canvas.rect();
    if (shown.isEmpty()) {
        return;
    }
    m_drawn |= shown;
    m_unshown |= shown;
}

// Laid out once per text and font: drawing the glyphs again is what the painter's drawText
// does after it has laid the text out, so the pixels are the same.
const PictureBox::Shaped& PictureBox::shaped(const QString& text)
{
    if (const auto found = m_shapes.constFind(text); found != m_shapes.cend()) {
        return *found;
    }
    if (m_shapes.size() >= kMostShapes) {
        m_shapes.clear();
    }
    QTextLayout layout(text, m_font, &m_canvas);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    Shaped laidOut;
    laidOut.runs = layout.glyphRuns();
    // The painter puts the baseline the font's ascent below the top; a line that also holds a
    // taller fallback face would put it lower.
    laidOut.offset = QPointF(0, m_ascent - (line.isValid() ? line.ascent() : m_ascent));
    QRectF inked(0, 0, line.isValid() ? line.naturalTextWidth() : 0, m_lineHeight);
    for (const QGlyphRun& run : laidOut.runs) {
        const QRawFont face = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            inked |= face.boundingRect(glyphs[i]).translated(positions[i] + laidOut.offset);
        }
    }
    laidOut.inked = inked.adjusted(-kInkMarginPx, -kInkMarginPx, kInkMarginPx, kInkMarginPx);
    return *m_shapes.insert(text, laidOut);
}

}  // namespace zelko
