#pragma once
// The painting tools' pages. Each shows the applicator and pigment the tool uses and the
// tool's own options, which live in the Workspace's PaintingState and are read by the
// engine at every stroke:
//   Brush    — the lists and the projection controls;
//   Eraser   — the five map types it erases and the projection controls;
//   Sampler  — what a click samples;
//   Fill     — "Flood" / "Border" / "All", "Fill Tolerance", "Reference Map type",
//              "Sample Merged Layers";
//   Line     — "Line" / "NGon" / "Circle" with "Sides:" (enabled for NGon only);
//   Texture Paint — the "Brush" list with "Edit", "Del" and "New", the "Texture Paint" list
//              of paints, "Clone" / "Texture Paint", "Set Source", five map types, "Scale";
//              in texture mode it keeps the one source view window open on the bitmap paint.
// The Text, Selection and MAX Out! pages are TextPage, SelectionPage and MaxOutPage.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"

#include "app/sourceview/TextureSourceWindow.h"
#include "paint/TextureSourceView.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

namespace gessoria::app {

class LibraryChooser;
class ProjectionControls;
struct LibraryListWording;

QWidget* MakeToolPage(PanelPage page, const PanelContext& context, QWidget* parent);

// The part every tool page shares: the lists on top, the tool's controls below.
class ToolPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    ToolPage(const PanelContext& context, bool withBrush, bool withPaint, QWidget* parent,
             const LibraryListWording* wording = nullptr);
    void Refresh() override;
    LibraryChooser* chooser() const { return chooser_; }

protected:
    // Re-reads the tool's own options.
    virtual void ShowOptions() {}
    PanelContext context_;
    QVBoxLayout* column_;
    bool showing_ = false;

private:
    LibraryChooser* chooser_;
};

class BrushPage : public ToolPage {
    Q_OBJECT
public:
    BrushPage(const PanelContext& context, QWidget* parent);
    ProjectionControls* projection() const { return projection_; }

protected:
    void ShowOptions() override;

private:
    ProjectionControls* projection_;
};

class EraserPage : public ToolPage {
    Q_OBJECT
public:
    EraserPage(const PanelContext& context, QWidget* parent);
    QCheckBox* mapSwitch(int storageIndex) const { return switches_[storageIndex]; }
    ProjectionControls* projection() const { return projection_; }

protected:
    void ShowOptions() override;

private:
    QCheckBox* switches_[5];
    ProjectionControls* projection_;
};

class FillPage : public ToolPage {
    Q_OBJECT
public:
    FillPage(const PanelContext& context, QWidget* parent);
    QRadioButton* styleButton(int style) const { return styles_[style]; }
    QSpinBox* tolerance() const { return tolerance_; }
    QComboBox* referenceMap() const { return reference_; }
    QCheckBox* sampleMerged() const { return merged_; }

protected:
    void ShowOptions() override;

private:
    QRadioButton* styles_[3];
    QSpinBox* tolerance_;
    QComboBox* reference_;
    QCheckBox* merged_;
};

class LinePage : public ToolPage {
    Q_OBJECT
public:
    LinePage(const PanelContext& context, QWidget* parent);
    QRadioButton* typeButton(int type) const { return types_[type]; }
    QSpinBox* sides() const { return sides_; }

protected:
    void ShowOptions() override;

private:
    QRadioButton* types_[3];
    QSpinBox* sides_;
};

class TexturePaintPage : public ToolPage {
    Q_OBJECT
public:
    TexturePaintPage(const PanelContext& context, QWidget* parent);
    QRadioButton* cloneButton() const { return clone_; }
    QRadioButton* textureButton() const { return texture_; }
    QAbstractButton* setSourceButton() const { return setSource_; }
    QCheckBox* mapSwitch(int storageIndex) const { return switches_[storageIndex]; }
    QDoubleSpinBox* scale() const { return scale_; }
    // The source view window while it is open, else null.
    TextureSourceWindow* sourceWindow() const { return sourceWindow_; }

protected:
    void ShowOptions() override;

private:
    void EnableForMode();
    // "Texture Paint" pressed (reopen = false) or another paint chosen while the view is open.
    void OpenSourceView(bool reopen);
    void CloseSourceView();

    TextureSourceView sourceView_;
    QPointer<TextureSourceWindow> sourceWindow_;
    QRadioButton* clone_;
    QRadioButton* texture_;
    QAbstractButton* setSource_;
    QCheckBox* switches_[5];
    QDoubleSpinBox* scale_;
};

} // namespace gessoria::app
