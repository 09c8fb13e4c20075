// The texture paint source view: opened by the Texture Paint page in texture mode, one window
// at a time, following the page's paint list, with clicks counted from the bottom row.
#include "AppFixture.h"

#include "app/panel/ControlPanel.h"
#include "app/panel/LibraryChooser.h"
#include "app/panel/ToolPages.h"
#include "app/sourceview/TextureSourceWindow.h"
#include "paint/TexturePaint.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace gessoria::test {
namespace {

using app::PanelPage;

// Bitmap paints name their images relative to the data folder, which the program makes its
// working folder at start-up; the starter library's folder plays that part here.
// A left click at `at`, sent directly: QTest takes the point (0, 0) for the widget's centre.
void ClickAt(QWidget* widget, QPoint at)
{
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

struct InDataFolder {
    QString previous = QDir::currentPath();
    InDataFolder() { QDir::setCurrent(GESSORIA_STARTER_LIBRARY_DIR); }
    ~InDataFolder() { QDir::setCurrent(previous); }
};

// The sample opened, the Texture Paint page shown and a bitmap paint chosen in its list.
app::TexturePaintPage* PageWithPaint(AppFixture& f, const char* paint)
{
    if (!f.OpenSample())
        return nullptr;
    auto* page = static_cast<app::TexturePaintPage*>(f.window->controlPanel().ShowPage(PanelPage::TexturePaint));
    QComboBox* paints = page->chooser()->paints();
    paints->setCurrentIndex(paints->findText(paint));
    return page;
}

class SourceViewTest : public QObject {
    Q_OBJECT
private slots:
    void TexturePaintOpensOneSourceViewThatFollowsThePaint()
    {
        InDataFolder data;
        AppFixture f;
        app::TexturePaintPage* page = PageWithPaint(f, "Stone Stamp");
        QVERIFY(page != nullptr);
        PaintingState& state = f.workspace.session.painting;
        QComboBox* paints = page->chooser()->paints();
        const Paint& stone = f.workspace.session.paints.current();
        QVERIFY(stone.imagesLoaded);
        const CDIB& source = *stone.images[kImageColour];

        page->textureButton()->click();
        QVERIFY(state.options.texturedPaint);
        app::TextureSourceWindow* window = page->sourceWindow();
        QVERIFY(window != nullptr && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("My New Texture Paint View"));
        QCOMPARE(window->imageView()->size(), QSize(source.width(), source.height()));
        QCOMPARE(state.source.x, source.width() / 2);
        QCOMPARE(state.source.y, source.height() / 2);
        QVERIFY(!page->setSourceButton()->isEnabled());
        QVERIFY(page->scale()->isEnabled());

        // The picture has the bitmap's last row at the top.
        const QImage shown = window->imageView()->grab().toImage();
        const std::uint8_t* lastRow = source.row(source.height() - 1);
        QCOMPARE(shown.pixelColor(0, 0), QColor(lastRow[2], lastRow[1], lastRow[0]));

        // Pressed again: the same window, not a second one.
        page->textureButton()->click();
        QCOMPARE(page->sourceWindow(), window);
        QCOMPARE(f.window->findChildren<app::TextureSourceWindow*>().size(), 1);

        // The top-left pixel is the source point (0, height - 1).
        ClickAt(window->imageView(), QPoint(0, 0));
        QCOMPARE(state.source.x, 0);
        QCOMPARE(state.source.y, source.height() - 1);
        QCOMPARE(state.source.marker, -1);
        QCOMPARE(state.source.valid, 1);

        // Another bitmap paint: the view shows its bitmap, the point back at its centre.
        paints->setCurrentIndex(paints->findText("Wood Tiles"));
        QCoreApplication::processEvents();
        const Paint& wood = f.workspace.session.paints.current();
        QVERIFY(wood.imagesLoaded);
        QVERIFY(page->sourceWindow() != nullptr);
        const CDIB& woodSource = *wood.images[kImageColour];
        QCOMPARE(page->sourceWindow()->imageView()->size(), QSize(woodSource.width(), woodSource.height()));
        QCOMPARE(state.source.x, woodSource.width() / 2);
        // Stone's images were released with the change; a click still counts from the bottom.
        ClickAt(page->sourceWindow()->imageView(), QPoint(2, 3));
        QCOMPARE(state.source.y, woodSource.height() - 4);

        // An ordinary paint: told why, the view closes and clone mode returns.
        paints->setCurrentIndex(0);
        QCoreApplication::processEvents();
        QCOMPARE(f.ui.Dialogs().back(), std::string(kNotABitmapPaint));
        QVERIFY(page->sourceWindow() == nullptr);
        QVERIFY(!state.options.texturedPaint);
        QVERIFY(page->cloneButton()->isChecked());
        QVERIFY(page->setSourceButton()->isEnabled());
    }

    void ClosingTheFrameKeepsTextureModeAndCloneClosesTheView()
    {
        InDataFolder data;
        AppFixture f;
        app::TexturePaintPage* page = PageWithPaint(f, "Stone Stamp");
        QVERIFY(page != nullptr);
        PaintingState& state = f.workspace.session.painting;
        page->textureButton()->click();
        ClickAt(page->sourceWindow()->imageView(), QPoint(1, 1));
        page->sourceWindow()->close();
        QCoreApplication::processEvents();
        QVERIFY(page->sourceWindow() == nullptr);
        QVERIFY(state.options.texturedPaint);
        // Pressed again: a new view, its point back at the centre.
        page->textureButton()->click();
        QVERIFY(page->sourceWindow() != nullptr);
        const CDIB& source = *f.workspace.session.paints.current().images[kImageColour];
        QCOMPARE(state.source.x, source.width() / 2);
        page->cloneButton()->click();
        QCoreApplication::processEvents();
        QVERIFY(page->sourceWindow() == nullptr);
        QVERIFY(!state.options.texturedPaint);
        QVERIFY(!page->scale()->isEnabled());
    }

    void ScaleTypedOutOfRangeIsClampedWhenEditingEnds()
    {
        AppFixture f;
        const ToolOptions& options = f.workspace.session.painting.options;
        auto* page = static_cast<app::TexturePaintPage*>(f.window->controlPanel().ShowPage(PanelPage::TexturePaint));
        QDoubleSpinBox* scale = page->scale();
        scale->setEnabled(true);
        for (const auto& [typed, value, shown] : {std::tuple{"150", 99.9f, "99.9"}, std::tuple{"0", 0.1f, "0.1"},
                                                  std::tuple{"2.5", 2.5f, "2.5"}}) {
            scale->selectAll();
            QTest::keyClicks(scale, typed);
            QTest::keyClick(scale, Qt::Key_Return);
            QCOMPARE(options.textureScale, value);
            QCOMPARE(scale->text(), QString(shown));
        }
        scale->stepUp();  // the spin button steps by 0.1
        QCOMPARE(options.textureScale, 2.6f);
    }
};

} // namespace

QObject* MakeSourceViewTest() { return new SourceViewTest; }

} // namespace gessoria::test

#include "SourceViewTest.moc"
