#include "app/WarningWindow.h"

#include <QApplication>

namespace gessoria::app {

void WarningWindow::Raise(const QString& text, bool question)
{
    if (beepOnWarning_ != 0)
        QApplication::beep();
    message_ = text;
    question_ = question;
    SetLit(true);
}

QString WarningWindow::Press()
{
    SetLit(false);
    return message_.isEmpty() ? QString(kNothingYet) : message_;
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
