#pragma once
// WarningWindow: the pending warning of the main frame.
//
// Raising a warning stores its text, lights the Warning Window button and beeps when
// BeepOnWarning is on. Pressing the button shows the stored text (or "Nothing of interest
// has happened yet.") and puts the button out; the text is kept, so pressing again shows it
// again. Ignore Warning puts the button out without showing anything. A warning may be a
// question (the pressure-tablet one), which the button then asks.

#include <QObject>
#include <QString>

namespace gessoria::app {

class WarningWindow : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kNothingYet = "Nothing of interest has happened yet.";
    static constexpr const char* kIgnoredHint =
        "The warning you just cleared is still in the Warning Window if you decide you do need to look at it. It will "
        "only be removed if another warning appears.";

    static constexpr const char* kTabletQuestion =
        "There is a pressure sensitive tablet present, there may be some problem painting with the mouse\nwhile "
        "pressure sensitivity is turned on. Do you want me to turn it off? (It can be turned on\nagain later from "
        "Tools/Preferences/Pressure Sensitivity).";

    explicit WarningWindow(const int& beepOnWarning) : beepOnWarning_(beepOnWarning) {}

    void Raise(const QString& text, bool question = false);
    // The text to show when the button is pressed; the button goes out.
    QString Press();
    void Ignore();

    bool lit() const { return lit_; }
    // Whether the stored warning is a yes/no question.
    bool question() const { return question_; }
    const QString& message() const { return message_; }

signals:
    void litChanged(bool lit);

private:
    void SetLit(bool lit);

    const int& beepOnWarning_;
    QString message_;
    bool lit_ = false;
    bool question_ = false;
};

} // namespace gessoria::app
