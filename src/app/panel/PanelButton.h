#pragma once
// PanelButton: a control-panel button drawn from one SVG picture in one of its looks — up,
// down, focused, disabled — or, for a painting tool that is current, the single "selected"
// look shown whatever the button's state. A second picture (the lit Warning Window) can
// stand in for the first.
//
// The button triggers its command's QAction and follows the action's enabled state.

#include <QAbstractButton>

class QAction;

namespace gessoria::app {

enum class ButtonLook { Up, Down, Focused, Disabled, Selected };

class PanelButton : public QAbstractButton {
    Q_OBJECT
public:
    PanelButton(QAction* action, const QString& icon, QWidget* parent = nullptr);

    ButtonLook look() const;
    // The current tool's single look.
    void SetSelected(bool selected);
    bool selected() const { return selected_; }
    // The lit picture in place of the normal one.
    void SetLit(bool lit);
    bool lit() const { return lit_; }
    void SetLitIcon(const QString& icon) { litIcon_ = icon; }

    QSize sizeHint() const override { return {40, 36}; }
    QSize minimumSizeHint() const override { return {32, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SyncWithAction();

    QAction* action_;
    QString icon_;
    QString litIcon_;
    bool selected_ = false;
    bool lit_ = false;
};

} // namespace gessoria::app
