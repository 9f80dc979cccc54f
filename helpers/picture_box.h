#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

// A picture box whose drawing is retained: text is drawn into an image that repaints the
// widget, in character units (120 x 240 twips) once ScaleToCharacters() has run.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
};
