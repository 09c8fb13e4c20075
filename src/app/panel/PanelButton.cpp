#include "app/panel/PanelButton.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QStyleOption>

namespace gessoria::app {

PanelButton::PanelButton(QAction* action, const QString& icon, QWidget* parent)
    : QAbstractButton(parent), action_(action), icon_(icon)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, action_, [this] { action_->trigger(); });
    connect(action_, &QAction::changed, this, &PanelButton::SyncWithAction);
    SyncWithAction();
}

void PanelButton::SyncWithAction()
{
    setEnabled(action_->isEnabled());
    setToolTip(action_->toolTip());
    setStatusTip(action_->statusTip());
    setWhatsThis(action_->whatsThis());
    setAccessibleName(action_->text().remove('&'));
    update();
}

ButtonLook PanelButton::look() const
{
    if (selected_)
        return ButtonLook::Selected;
    if (!isEnabled())
        return ButtonLook::Disabled;
    if (isDown())
        return ButtonLook::Down;
    if (hasFocus())
        return ButtonLook::Focused;
    return ButtonLook::Up;
}

void PanelButton::SetSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

void PanelButton::SetLit(bool lit)
{
    if (lit_ == lit)
        return;
    lit_ = lit;
    update();
}

void PanelButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ButtonLook state = look();
    const QPalette& pal = palette();
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);

    // A raised face for up and focused, a sunken one for down, an accent-filled sunken one
    // for the current tool, a flat grey one for disabled.
    QColor face = pal.color(QPalette::Button);
    QColor edge = pal.color(QPalette::Mid);
    if (state == ButtonLook::Down)
        face = face.darker(115);
    else if (state == ButtonLook::Selected) {
        face = pal.color(QPalette::Highlight).lighter(160);
        edge = pal.color(QPalette::Highlight);
    } else if (state == ButtonLook::Disabled)
        face = pal.color(QPalette::Window);
    painter.setPen(QPen(edge, state == ButtonLook::Selected ? 2.0 : 1.0));
    painter.setBrush(face);
    painter.drawRoundedRect(frame, 4, 4);
    if (state == ButtonLook::Up || state == ButtonLook::Focused) {
        painter.setPen(QPen(pal.color(QPalette::Light), 1.0));
        painter.drawLine(frame.topLeft() + QPointF(3, 1), frame.topRight() + QPointF(-3, 1));
    }
    if (state == ButtonLook::Focused) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1.0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
    }

    const int side = std::min(width(), height()) - 10;
    QRect target(0, 0, side, side);
    target.moveCenter(rect().center());
    if (state == ButtonLook::Down || state == ButtonLook::Selected)
        target.translate(1, 1);
    const QString name = lit_ && !litIcon_.isEmpty() ? litIcon_ : icon_;
    const QIcon icon(QString(":/icons/%1.svg").arg(name));
    icon.paint(&painter, target, Qt::AlignCenter, state == ButtonLook::Disabled ? QIcon::Disabled : QIcon::Normal);
}

} // namespace gessoria::app
