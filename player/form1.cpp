// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/form1.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "platform/twips.h"
#include "player/controls/asx_toolbar.h"
#include "player/controls/cpv_slider.h"
#include "player/form1_accessible.h"
#include "player/video_host.h"
#include "player/window_icon.h"

namespace zelko {

namespace {

// The key codes txtfull's handler reckons with (the Windows virtual-key numbers): letters and
// digits are their upper-case ASCII codes, F1 is 112. Keys without a code give 0.
int VirtualKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 112 + (qtKey - Qt::Key_F1);
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

// The shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

Form1::Form1(zelko::media::MciChannel& channel, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), Media(channel)
{
    setWindowTitle(QStringLiteral("Zelko Player 1.0"));
    setWindowIcon(ZelkoWindowIcon());
    InstallForm1Accessibility();
    CreateControls();
    ConnectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::ConnectHandlers()
{
    connect(asxToolbar1, &AsxToolbar::ButtonClick, this, &Form1::asxToolbar1_ButtonClick);
    connect(asxToolbar2, &AsxToolbar::ButtonClick, this, &Form1::asxToolbar2_ButtonClick);
    connect(asxToolbar3, &AsxToolbar::ButtonClick, this, &Form1::asxToolbar3_ButtonClick);
    // The selection changes on a click, a selection key and a selection set by code alike, and
    // also when Ctrl+click clears it (the current row then stays where it was).
    connect(List1, &QListWidget::itemSelectionChanged, this, [this] { List1_Click(); });
    List1->viewport()->installEventFilter(this);
    txtfull->installEventFilter(this);
    connect(TimerAtEndFile, &QTimer::timeout, this, &Form1::TimerAtEndFile_Timer);
    connect(TimerMisc, &QTimer::timeout, this, &Form1::TimerMisc_Timer);
    connect(Timerscroll, &QTimer::timeout, this, &Form1::Timerscroll_Timer);
    connect(cpvSlider1, &CpvSlider::ThumbMoved, this, &Form1::cpvSlider1_ThumbMoved);
    connect(Picture1, &VideoHost::MouseDown, this, &Form1::Picture1_MouseDown);
    ConnectView();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtfull && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        // A held key acts once: each repeat would queue another open or toggle behind the first.
        // X repeats a key as a release and a press with one timestamp; Qt flags the press only
        // when it is already queued behind the release, so the pair is matched here as well.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool repeat = key->isAutoRepeat() || (key->key() == m_releasedKey && key->timestamp() == m_releasedAt);
        if (event->type() == QEvent::KeyRelease) {
            m_releasedKey = key->key();
            m_releasedAt = key->timestamp();
        } else if (!repeat) {
            txtfull_KeyDown(VirtualKeyCode(key->key()), ShiftState(key->modifiers()));
        }
        return false;  // the text box still gets the key
    }
    if (watched == List1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        List1_DblClick();
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

int Form1::HeightTwips() const
{
    return PxToTwips(height());
}

int Form1::WidthTwips() const
{
    return PxToTwips(width());
}

void Form1::SetHeightTwips(int twips)
{
    resize(width(), TwipsToPx(twips));
}

bool Form1::IsMaximized() const
{
    return windowState().testFlag(Qt::WindowMaximized);
}

void Form1::SetTwipsGeometry(QWidget* control, double left, double top, double width, double height)
{
    control->setGeometry(TwipsToPx(left), TwipsToPx(top), TwipsToPx(width), TwipsToPx(height));
}

int Form1::LeftTwips(const QWidget* control)
{
    return PxToTwips(control->x());
}

int Form1::TopTwips(const QWidget* control)
{
    return PxToTwips(control->y());
}

int Form1::WidthTwips(const QWidget* control)
{
    return PxToTwips(control->width());
}

int Form1::HeightTwips(const QWidget* control)
{
    return PxToTwips(control->height());
}

void Form1::ShowResult()
{
    LbResult->setText(QStringLiteral("Result calling Function is : ") + QString::fromStdString(mResult));
}

}  // namespace zelko
