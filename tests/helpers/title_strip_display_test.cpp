// SPDX-License-Identifier: GPL-3.0-or-later
// The title strip on a real X screen: every frame of a pass, read back from the X server, is the
// frame the scroller's algorithm draws, character by character with the painter's own drawText.
// However the strip caches, batches or flushes, what the user sees must not change.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <iostream>

#include "helpers/bas_scroller.h"
#include "helpers/picture_box.h"

namespace zelko {

namespace {

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr double kAmplitude = 0.1;

// Picture2 as the main window lays it out: 3480 x 525 twips at 15 twips a pixel, green.
constexpr QSize kStripPx(232, 35);

// Step k of a pass of `text` drawn the plain way: a fresh green image, then each character with
// drawText at the position the algorithm gives (8 x 16 pixel character units, 96 dots per inch).
QImage referenceFrame(const QString& text, double x)
{
    QImage image(kStripPx, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::green);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(12);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 255));
    const double fs = painter.fontInfo().pointSizeF();
    const double ascent = QFontMetricsF(font, &image).ascent();
    const double scaleHeight = kStripPx.height() / 16.0;
    for (int i = 0; i < text.size(); ++i) {
        const double left = (fs / 10) * i + x;
        const double top = scaleHeight / 2 - 1 + std::sin((i + x) * 0.7) * kAmplitude;
        painter.drawText(QPointF(left * 8, top * 16 + ascent), text.mid(i, 1));
    }
    return image;
}

}  // namespace

// Each frame is read from the X server when the next step starts (the step's Clearing), and the
// last one after the pass; the digest of all of them is printed so two builds can be compared.
TEST(TitleStripOnScreen, EveryFrameOfAPassIsTheAlgorithmsDrawing)
{
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.resize(kStripPx);
    auto* strip = new PictureBox(&window);
    strip->resize(kStripPx);
    strip->SetBackColor(Qt::green);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QString text = QStringLiteral("song30.mp3");
    std::vector<QImage> shown;
    const auto grab = [&] {
        QImage shot = window.screen()->grabWindow(window.winId(), 0, 0, kStripPx.width(), kStripPx.height()).toImage();
        shown.push_back(shot.convertToFormat(QImage::Format_RGB32));
    };
    QObject::connect(strip, &PictureBox::Clearing, grab);
    basScroller::ScrollText(strip, text, 12, 3.0, kAmplitude, kBlue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !basScroller::IsScrolling(strip); }, 60000));
    QTest::qWait(100);  // the last frame's flush reaches the server
    grab();
    shown.erase(shown.begin());  // the green strip before the first step

    const int steps = basScroller::StepCount(strip->ScaleWidth(), strip->FontSize(), text.size());
    ASSERT_EQ(shown.size(), static_cast<size_t>(steps));
    QCryptographicHash digest(QCryptographicHash::Sha1);
    const double startX = std::floor(strip->ScaleWidth());
    int inked = 0;
    for (int k = 0; k < steps; ++k) {
        const QImage expected = referenceFrame(text, startX - 0.5 * k);
        ASSERT_EQ(shown[k], expected) << "frame " << k << " of " << steps;
        inked += expected != referenceFrame(QString(), 0);
        digest.addData(QByteArrayView(shown[k].constBits(), shown[k].sizeInBytes()));
    }
    EXPECT_GT(inked, steps / 2);  // the comparison saw the text, not only green
    std::cout << "title pass: " << steps << " frames, digest " << digest.result().toHex().toStdString() << "\n";
}

}  // namespace zelko
