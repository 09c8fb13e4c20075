#include "app/WarningWindow.h"

#include <QApplication>

namespace gessoria::app {

WarningWindow::WarningWindow(const int& beepOnWarning) : beepOnWarning_(beepOnWarning), beep_([] { QApplication::beep(); })
{
}

void WarningWindow::Raise(const QString& text, WarningKind kind)
{
    message_ = text;
    kind_ = kind;
    Light();
}

void WarningWindow::Alert()
{
    Light();
}

void WarningWindow::Light()
{
    if (beepOnWarning_ != 0)
        beep_();
    SetLit(true);
}

WarningWindow::Pending WarningWindow::Press()
{
    SetLit(false);
    if (kind_ == WarningKind::None)
        return {kNothingYet, WarningKind::Information};
    return {message_, kind_};
}

void WarningWindow::Ignore()
{
    SetLit(false);
}

void WarningWindow::SetLit(bool lit)
{
    if (lit_ == lit)
        return;
    lit_ = lit;
    emit litChanged(lit);
}

} // namespace gessoria::app
