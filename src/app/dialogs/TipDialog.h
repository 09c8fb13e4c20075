#pragma once
// "Tip of the Day": shows one tip of the tips file with "&Next Tip", the check box
// "&Show Tips on StartUp" and "&Close". Only "&Close" (accepting) writes the check box's
// choice; closing otherwise leaves it. Where the next tip starts is kept either way.

#include "session/TipOfTheDay.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace gessoria::app {

class TipDialog : public QDialog {
    Q_OBJECT
public:
    TipDialog(const std::filesystem::path& iniPath, const std::filesystem::path& tipsPath, QWidget* parent);

    QString tipText() const;
    void NextTip();
    void SetShowOnStartup(bool show);

    void done(int result) override;

private:
    TipOfTheDay tips_;
    QLabel* text_;
    QCheckBox* showOnStartup_;
};

} // namespace gessoria::app
