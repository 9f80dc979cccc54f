// SPDX-License-Identifier: GPL-3.0-or-later
// zelko-e2e-drag-source FILE...: a small window that drags the files named, as a file manager
// does: a press of the left button in it starts a drag of their file:// URIs (text/uri-list,
// over XDND), which ends where the button is released, and prints "dropped" or "refused". While
// the drag moves it prints "accepted" when the window under it says it would take the files, so
// a test releases the button only once the target has answered, as a hand waits for the cursor
// to change. It
// stays until it is ended: the window the files were dropped on asks it for them after the
// drop. The end-to-end tests drive it with real pointer events, so a drop reaches the player as
// a user's would.
#include <QApplication>
#include <QFile>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls))
    {
        setWindowTitle(QStringLiteral("zelko-e2e-drag-source"));
        setFixedSize(120, 80);
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::darkCyan);
        setPalette(colours);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        drag->setMimeData(data);
        connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            if (action != Qt::IgnoreAction) {
                std::printf("accepted\n");
                std::fflush(stdout);
            }
        });
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls << QUrl::fromLocalFile(QFile::decodeName(argv[i]));
    }
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return app.exec();
}
