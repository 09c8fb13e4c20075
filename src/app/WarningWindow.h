#pragma once
// WarningWindow: the pending warning of the main frame.
//
// Raising a warning stores its text and kind, lights the Warning Window button and beeps
// when BeepOnWarning is on; a bare alert beeps and lights the button keeping the stored
// warning. Pressing the button gives the stored warning (or "Nothing of interest has
// happened yet." as information) and puts the button out; the warning is kept, so pressing
// again gives it again. Ignore Warning puts the button out without showing anything.

#include <QObject>
#include <QString>

#include <functional>

namespace gessoria::app {

enum class WarningKind { None = -1, Information = 0, Question = 1, Text = 2 };

class WarningWindow : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kNothingYet = "Nothing of interest has happened yet.";
    static constexpr const char* kIgnoredHint =
        "The warning you just cleared is still in the Warning Window if you decide you do need to look at it. It will "
        "only be removed if another warning appears.";
    // The one question the window asks; Yes turns pressure sensitivity off.
    static constexpr const char* kPressureTabletQuestion =
        "There is a pressure sensitive tablet present, there may be some problem painting with the mouse\nwhile "
        "pressure sensitivity is turned on. Do you want me to turn it off? (It can be turned on\nagain later from "
        "Tools/Preferences/Pressure Sensitivity).";

    explicit WarningWindow(const int& beepOnWarning);
    // The sound of a warning; QApplication::beep unless replaced (tests count the beeps).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    void Raise(const QString& text, WarningKind kind = WarningKind::Text);
    void Alert();

    struct Pending {
        QString text;
        WarningKind kind;
    };
    // What to show now that the button was pressed; the button goes out.
    Pending Press();
    void Ignore();

    bool lit() const { return lit_; }
    const QString& message() const { return message_; }
    WarningKind kind() const { return kind_; }

signals:
    void litChanged(bool lit);

private:
    void Light();
    void SetLit(bool lit);

    const int& beepOnWarning_;
    std::function<void()> beep_;
    QString message_;
    WarningKind kind_ = WarningKind::None;
    bool lit_ = false;
};

} // namespace gessoria::app
