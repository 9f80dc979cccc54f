// SPDX-License-Identifier: GPL-3.0-or-later
// The window as it is created: every control at its design place, with its captions, colours,
// fonts, toolbar buttons, and the three timers.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>

#include "helpers/picture_box.h"
#include "meter/meter3.h"
#include "player/controls/asx_toolbar.h"
#include "player/controls/common_dialog.h"
#include "player/controls/cpv_slider.h"
#include "player/form1.h"
#include "player/media_filter.h"
#include "player/video_host.h"

namespace zelko {

namespace {

const QColor kGreen(0, 255, 0);
// The system colours of the design (window text, menu text) are black in the standard scheme.
const QColor kBlack(0, 0, 0);

// A list box whose selection is empty keeps it empty when it gets the keyboard focus. The item
// view would make its first row current, which draws like a choice the user did not make:
// focus moves to List1 after every transport command. While it has the focus, a dotted frame in
// the text colour runs round its inside edge.
class ListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        viewport()->update();
        if (currentRow() >= 0) {
            QListWidget::focusInEvent(event);
            return;
        }
        const QSignalBlocker blocker(selectionModel());
        QListWidget::focusInEvent(event);
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        viewport()->update();
        QListWidget::focusOutEvent(event);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QListWidget::paintEvent(event);
        if (!hasFocus()) {
            return;
        }
        QPainter p(viewport());
        p.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        p.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
    void scrollContentsBy(int dx, int dy) override
    {
        QListWidget::scrollContentsBy(dx, dy);
        if (hasFocus()) {
            viewport()->update();  // the frame must not scroll with the entries
        }
    }
};

// txtfull keeps every key it gets: its key handler has acted on the key already, and the
// window, where the keys that controls leave unused go, must not act on it a second time.
class KeyBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QLineEdit::keyPressEvent(event);
        event->accept();
    }
};

QFont DesignFont(const QString& family, double points, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont SansSerif()
{
    return DesignFont(QStringLiteral("MS Sans Serif"), 8.25);
}
QFont Tahoma()
{
    return DesignFont(QStringLiteral("Tahoma"), 8.25);
}

void Colour(QWidget* control, const QColor& text, const QColor& back)
{
    QPalette palette = control->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, text);
    }
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        palette.setColor(role, back);
    }
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

struct ButtonDesign {
    const char* caption;
    const char* key;
    const char* toolTip;
    AsxToolbar::ButtonStyle style = AsxToolbar::ButtonStyle::Default;
};

void AddButtons(AsxToolbar* toolbar, std::initializer_list<ButtonDesign> buttons)
{
    // Each button is a stop of the tab order, but a click on one leaves the focus where it was
    // (on txtfull in fullscreen mode).
    for (const ButtonDesign& b : buttons) {
        toolbar->AddButton(QString::fromLatin1(b.caption), QString::fromLatin1(b.key), QString::fromLatin1(b.toolTip),
                           b.style);
    }
}

// `accessibleName` is what a screen reader calls the row of buttons.
AsxToolbar* MakeToolbar(QWidget* parent, const char* name, const QFont& font, const QString& accessibleName)
{
    auto* toolbar = new AsxToolbar(parent);
    toolbar->setObjectName(QString::fromLatin1(name));
    toolbar->setAccessibleName(accessibleName);
    toolbar->setFont(font);
    toolbar->SetToolTipFont(SansSerif());
    toolbar->SetColors(kGreen, kBlack);
    toolbar->setFocusPolicy(Qt::NoFocus);
    return toolbar;
}

QTimer* MakeTimer(QObject* parent, const char* name, int intervalMs)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(intervalMs);
    return timer;
}

QListWidget* MakeListBox(QWidget* parent, const char* name)
{
    auto* list = new ListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    return list;
}

}  // namespace

// The layout's steps reach the window's controls as the window's own code does.
struct Form1::Layout {
    static void CreateTitleAndTransport(Form1& f);
    static void CreateMonitor(Form1& f);
    static void CreatePlaylistAndVideo(Form1& f);
    static void CreateHiddenLabels(Form1& f);
    static void PlaceControls(Form1& f);
    static void SetTabOrder(Form1& f);
    static void NameControls(Form1& f);
};

void Form1::Layout::CreateTitleAndTransport(Form1& f)
{
    f.Label2 = MakeLabel(&f, "Label2", QStringLiteral("Zelko Player 1.0"));
    f.Label2->setFont(DesignFont(QStringLiteral("Tahoma"), 12, true));
    Colour(f.Label2, kGreen, kBlack);

    f.asxToolbar3 = MakeToolbar(&f, "asxToolbar3", SansSerif(), QStringLiteral("Window"));
    AddButtons(f.asxToolbar3, {{"Close   ", "close", "Close"}});

    // Pause and Slow Motion are switches: they stay latched until pressed again.
    const auto check = AsxToolbar::ButtonStyle::Check;
    f.asxToolbar1 = MakeToolbar(&f, "asxToolbar1", Tahoma(), QStringLiteral("Playback"));
    f.asxToolbar1->SetButtonGap(3);
    AddButtons(f.asxToolbar1, {{"Play         ", "play", "Play   F1"},
                               {"Pause      ", "pause", "Pause   F2", check},
                               {"Stop          ", "stop", "Stop   F3"},
                               {"Slow Motion", "forward", "Slow Motion  F4", check},
                               {"Fullscreen   ", "fullscreen", "Fullscreen"}});
}

void Form1::Layout::CreateMonitor(Form1& f)
{
    f.Meter31 = new Meter3(&f);
    f.Meter31->setObjectName(QStringLiteral("Meter31"));
    f.Meter31->SetBorder(0);
    f.Meter31->SetValue(0);

    f.Picture2 = new PictureBox(&f);
    f.Picture2->setObjectName(QStringLiteral("Picture2"));
    f.Picture2->SetBackColor(kGreen);

    f.cpvSlider1 = new CpvSlider(&f);
    f.cpvSlider1->setObjectName(QStringLiteral("cpvSlider1"));
    f.cpvSlider1->SetRange(-1, 100);
    f.cpvSlider1->SetValue(-1);

    f.Check = new QCheckBox(QStringLiteral("Auto Replay"), &f);
    f.Check->setObjectName(QStringLiteral("Check"));
    f.Check->setFont(Tahoma());
    Colour(f.Check, kGreen, kBlack);
    QPalette box = f.Check->palette();  // the tick box itself keeps the standard white and black
    box.setColor(QPalette::Base, Qt::white);
    box.setColor(QPalette::Text, Qt::black);
    box.setColor(QPalette::Highlight, kGreen);  // the focus mark around the caption
    f.Check->setPalette(box);
    f.Check->setChecked(false);

    f.lbcurrentime = MakeLabel(&f, "lbcurrentime", QString());
    Colour(f.lbcurrentime, kGreen, kBlack);
}

void Form1::Layout::CreatePlaylistAndVideo(Form1& f)
{
    f.asxToolbar2 = MakeToolbar(&f, "asxToolbar2", Tahoma(), QStringLiteral("Playlist editing"));
    f.asxToolbar2->SetButtonGap(2);
    AddButtons(f.asxToolbar2, {{"Add to Playlist", "add", "Add media to playlist"},
                               {"Remove", "remove", "Remove meddia from playlist"},
                               {"Clear All", "clear", "Clear Playlist"}});

    f.List1 = MakeListBox(&f, "List1");
    f.List1->setFont(Tahoma());
    Colour(f.List1, kGreen, kBlack);
    f.List2 = MakeListBox(&f, "List2");

    f.Picture1 = new VideoHost(&f);
    f.Picture1->setObjectName(QStringLiteral("Picture1"));

    f.txtfull = new KeyBox(&f);
    f.txtfull->setObjectName(QStringLiteral("txtfull"));
    Colour(f.txtfull, kBlack, kBlack);
    // txtfull only takes the keys; the video area covers it once the window grows, so the
    // user sees the whole picture rather than a black box on it.
    f.txtfull->stackUnder(f.Picture1);
}

void Form1::Layout::CreateHiddenLabels(Form1& f)
{
    f.Lbname = MakeLabel(&f, "Lbname", QString());
    f.Lbname->setFont(Tahoma());
    Colour(f.Lbname, kGreen, kBlack);
    f.LbResult = MakeLabel(&f, "LbResult", QStringLiteral("Label1"));
    f.LbActualCx = MakeLabel(&f, "LbActualCx", QString());
    f.LbActualCy = MakeLabel(&f, "LbActualCy", QString());
    f.LbFramesPerSecond = MakeLabel(&f, "LbFramesPerSecond", QString());
    f.LbTotalFrames = MakeLabel(&f, "LbTotalFrames", QString());
    f.LbCurrentRate = MakeLabel(&f, "LbCurrentRate", QString());
    for (QLabel* label : {f.LbActualCx, f.LbActualCy, f.LbFramesPerSecond, f.LbTotalFrames, f.LbCurrentRate}) {
        label->setFont(Tahoma());
    }
}

void Form1::Layout::PlaceControls(Form1& f)
{
    // Left, top, width, height in twips, and whether the control shows when the window does.
    const struct {
        QWidget* control;
        int left, top, width, height;
        bool shown;
    } kPlaces[] = {
        {f.Label2, 105, 0, 2325, 330, true},           {f.asxToolbar3, 5880, 0, 930, 330, true},
        {f.asxToolbar1, 105, 380, 5790, 330, true},    {f.Meter31, 105, 735, 3255, 525, true},
        {f.Picture2, 3360, 735, 3480, 525, true},      {f.cpvSlider1, 0, 1300, 3390, 240, true},
        {f.Check, 3675, 1350, 1275, 225, true},        {f.lbcurrentime, 5145, 1350, 1170, 330, true},
        {f.asxToolbar2, 105, 1575, 3315, 330, true},   {f.List1, 105, 1950, 3315, 1230, true},
        {f.Picture1, 1155, 3570, 3165, 2955, true},  // just below the client area
        {f.txtfull, 3255, 4830, 960, 330, true},     // below it too: the fullscreen keys
        {f.List2, 4515, 2520, 2640, 1425, false},      {f.Lbname, 3045, 3255, 1275, 330, false},
        {f.LbResult, 3570, 1890, 3270, 330, false},    {f.LbActualCx, 525, 3570, 855, 330, false},
        {f.LbActualCy, 630, 3990, 645, 330, false},    {f.LbFramesPerSecond, 525, 4410, 645, 330, false},
        {f.LbTotalFrames, 525, 4830, 645, 330, false}, {f.LbCurrentRate, 525, 5565, 645, 330, false},
    };
    for (const auto& place : kPlaces) {
        Form1::SetTwipsGeometry(place.control, place.left, place.top, place.width, place.height);
        place.control->setVisible(place.shown);
    }
}

// Tab and Shift+Tab go through the controls a user sees, in reading order. The picture boxes,
// the LED bar and txtfull are no stops, and a click does not focus them either, so the
// fullscreen keys keep reaching txtfull; GoFullscreen gives it the focus itself. The playlist
// has the focus at start, where Enter plays the entry chosen with the arrows.
void Form1::Layout::SetTabOrder(Form1& f)
{
    for (QWidget* control : std::initializer_list<QWidget*>{f.Picture1, f.Picture2, f.Meter31, f.txtfull, f.List2}) {
        control->setFocusPolicy(Qt::NoFocus);
    }
    QList<QWidget*> order;
    for (AsxToolbar* toolbar : {f.asxToolbar3, f.asxToolbar1}) {
        for (int i = 1; i <= toolbar->ButtonCount(); ++i) {
            order << toolbar->Button(i);
        }
    }
    order << f.cpvSlider1 << f.Check;
    for (int i = 1; i <= f.asxToolbar2->ButtonCount(); ++i) {
        order << f.asxToolbar2->Button(i);
    }
    order << f.List1;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    f.List1->setFocus();
}

// The names a screen reader gives the controls without a caption of their own. The title strip
// is named after the entry it scrolls when that entry plays.
void Form1::Layout::NameControls(Form1& f)
{
    f.Meter31->setAccessibleName(QStringLiteral("Played"));
    f.cpvSlider1->setAccessibleName(QStringLiteral("Position"));
    f.lbcurrentime->setAccessibleDescription(QStringLiteral("Time played / length"));
    f.List1->setAccessibleName(QStringLiteral("Playlist"));
    f.Picture1->setAccessibleName(QStringLiteral("Video"));
    f.txtfull->setAccessibleName(QStringLiteral("Fullscreen keys"));
    f.txtfull->setAccessibleDescription(
        QStringLiteral("Esc: back to the window; F1 play, F2 pause, F3 stop, F4 slow motion"));
}

void Form1::CreateControls()
{
    setFont(SansSerif());
    Colour(this, kGreen, kBlack);
    resize(460, 238);  // 6900 x 3570 twips; without a frame the client area is the window

    Layout::CreateTitleAndTransport(*this);
    Layout::CreateMonitor(*this);
    Layout::CreatePlaylistAndVideo(*this);
    Layout::CreateHiddenLabels(*this);
    Layout::PlaceControls(*this);
    Layout::SetTabOrder(*this);
    Layout::NameControls(*this);

    TimerAtEndFile = MakeTimer(this, "TimerAtEndFile", 100);
    TimerMisc = MakeTimer(this, "TimerMisc", 500);
    Timerscroll = MakeTimer(this, "Timerscroll", 5000);
    TimerAtEndFile->start();  // end-of-media polling runs from the start

    CommonDialog1 = new CommonDialog(this);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    CommonDialog1->SetFilter(QString::fromLatin1(kMediaFilter));
}

}  // namespace zelko
