// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <cstdint>

namespace zelko {

// Picture1: the picture box that hosts the video. It is a native window of its own, because
// the video sink draws straight into it through the window handle; Qt never paints it, so
// nothing of ours covers the picture. Where the window system has one (X11), the window's own
// background is black, so areas without video are cleared to black by the server, and the
// window carries its device pixel ratio for the engine, which places the video in logical pixels.
class VideoHost : public QWidget {
    Q_OBJECT
public:
    explicit VideoHost(QWidget* parent = nullptr);

    // The native window as the media layer takes it: the parent of the video window.
    int32_t WindowHandle();

    QPaintEngine* paintEngine() const override;

signals:
    void MouseDown(Qt::MouseButton button);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void prepareNativeWindow();
};

}  // namespace zelko
