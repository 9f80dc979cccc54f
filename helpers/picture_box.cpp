#include "helpers/picture_box.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include "helpers/twips.h"

namespace {

constexpr int kCharWidthTwips = 120;
constexpr int kCharHeightTwips = 240;
// 96 dots per inch in dots per metre: the resolution at which 15 twips make one pixel.
constexpr int kDotsPerMetre = 3780;

QImage blankCanvas(const QSize& size, const QColor& back) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(back);
    return image;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), m_font(font()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas = blankCanvas(size(), m_back);
    QPainter painter(&m_canvas);
    painter.setFont(m_font);
    m_fontSize = painter.fontInfo().pointSizeF();
}

void PictureBox::SetBackColor(const QColor& color) {
    m_back = color;
    syncCanvas();
    m_canvas.fill(m_back);
    update();
}

QColor PictureBox::BackColor() const { return m_back; }

void PictureBox::ScaleToCharacters() { m_characterUnits = true; }

bool PictureBox::InCharacterUnits() const { return m_characterUnits; }

double PictureBox::unitWidthPx() const {
    return (m_characterUnits ? kCharWidthTwips : 1.0) / kTwipsPerPixel;
}

double PictureBox::unitHeightPx() const {
    return (m_characterUnits ? kCharHeightTwips : 1.0) / kTwipsPerPixel;
}

double PictureBox::ScaleWidth() const { return width() / unitWidthPx(); }

double PictureBox::ScaleHeight() const { return height() / unitHeightPx(); }

void PictureBox::SetFont(const QString& face, double sizePt, bool bold, bool italic, bool underline) {
    QFont f(face);
    if (sizePt > 0) f.setPointSizeF(sizePt);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    m_font = f;
    // The canvas fixes the resolution, so the size reported is the one the text is drawn at.
    QPainter painter(&m_canvas);
    painter.setFont(m_font);
    m_fontSize = painter.fontInfo().pointSizeF();
}

double PictureBox::FontSize() const { return m_fontSize; }

QFont PictureBox::DrawingFont() const { return m_font; }

void PictureBox::SetForeColor(uint32_t bgr) { m_fore = QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

QColor PictureBox::ForeColor() const { return m_fore; }

void PictureBox::Cls() {
    emit Clearing();
    syncCanvas();
    m_canvas.fill(m_back);
    CurrentX = 0;
    CurrentY = 0;
    update();
}

void PictureBox::Print(const QString& text) {
    syncCanvas();
    QPainter painter(&m_canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(m_font);
    painter.setPen(m_fore);
    const QFontMetricsF metrics(m_font, &m_canvas);
    const QPointF topLeft(CurrentX * unitWidthPx(), CurrentY * unitHeightPx());
    painter.drawText(topLeft + QPointF(0, metrics.ascent()), text);
    CurrentX = 0;
    CurrentY += metrics.height() / unitHeightPx();
    update();
}

const QImage& PictureBox::Canvas() {
    syncCanvas();
    return m_canvas;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    syncCanvas();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    syncCanvas();
    QWidget::resizeEvent(event);
}

void PictureBox::syncCanvas() {
    // A hidden widget gets its resize event only when shown, so every use checks the size.
    if (m_canvas.size() == size().expandedTo(QSize(1, 1))) return;
    // The drawing is kept where it fits; new area shows the back colour.
    QImage grown = blankCanvas(size(), m_back);
    QPainter painter(&grown);
    painter.drawImage(0, 0, m_canvas);
    painter.end();
    m_canvas = grown;
}
