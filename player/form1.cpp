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
#include "player/form1_facade.h"
#include "player/video_host.h"
#include "player/virtual_key.h"
#include "player/window_icon.h"

namespace zelko {

Form1::Form1(zelko::media::MciChannel& channel, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), Media(channel), m_facade(new Facade(*this))
{
    setWindowTitle(QStringLiteral("Zelko Player 1.0"));
    setWindowIcon(ZelkoWindowIcon());
    InstallForm1Accessibility();
    CreateControls();
    ConnectHandlers();
    Form_Load();
}

Form1::~Form1()
{
    // QWidget's destructor deletes the controls after Form1's own part is gone, and the lists'
    // models tell of their last reset then: nothing may call a handler of Form1 any more.
    for (QObject* control : findChildren<QObject*>()) {
        control->disconnect(this);
    }
}

Player& Form1::AsPlayer()
{
    return *m_facade;
}

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
            txtfull_KeyDown(virtual_key::FromQtKey(key->key()), virtual_key::ShiftState(key->modifiers()));
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
