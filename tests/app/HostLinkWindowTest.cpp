// The desktop program's end of the link, driven by the reference host over the real socket:
// a scene received into the window, the unsaved-changes question before a second one,
// Go! from the MAX Out! page, and a second window that finds the link taken.

#include "AppFixture.h"

#include "app/HostLinkPort.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/MaxOutPage.h"
#include "link/LinkFixture.h"
#include "link/ReferenceHost.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <unistd.h>

namespace gessoria::test {
namespace {

using reference::HostEnd;

// The next message for the host, the window's event loop running meanwhile.
std::optional<reference::Message> Answer(HostEnd& host)
{
    for (int turn = 0; turn < 3000; ++turn) {
        QCoreApplication::processEvents();
        if (auto message = host.Next(1))
            return message;
    }
    return std::nullopt;
}

class HostLinkWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        runtime_ = ShortRuntimeDirectory();
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        block_ = "/GessoriaWindowTest-" + std::to_string(getpid());
        setenv("GESSORIA_LINK_BLOCK", block_.c_str(), 1);
    }
    void cleanup()
    {
        HostEnd::Remove(block_);
        std::error_code ignored;
        std::filesystem::remove_all(runtime_, ignored);
    }

    void AHostsSceneOpensAndGoSendsItsMapsBack()
    {
        AppFixture f;
        f.window->StartHostLink();
        QVERIFY(f.window->hostLink() != nullptr && f.window->hostLink()->listening());
        QVERIFY(f.window->linkNote() == nullptr);
        HostEnd host;
        QVERIFY(host.Connect(runtime_ / "gessoria" / "link.sock"));
        QVERIFY(host.Send(1, 42, 0));
        const auto replying = Answer(host);
        QVERIFY(replying && replying->number == 2 && replying->lParam == 0);
        QVERIFY(HostEnd::Publish(block_, reference::SceneBlock(reference::Quad(), 0x100000)));
        QVERIFY(host.Send(3, 42, 0x100000));
        const auto collected = Answer(host);
        QVERIFY(collected && collected->lParam == 1);
        QVERIFY(f.scene().loaded());
        QCOMPARE(f.scene().materials[1].name, std::string("Painted"));
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
        QCOMPARE(f.window->controlPanel().visiblePage(), app::PanelPage::Brush);

        // A modified scene: the question comes first, and Cancel keeps it.
        f.workspace.session.changes.Mark();
        f.ui.choices.push_back(2);
        reference::HostScene other = reference::Quad();
        other.materials[0].name = "Other";
        QVERIFY(HostEnd::Publish(block_, reference::SceneBlock(other, 0)));
        QVERIFY(host.Send(3, 42, 0));
        QVERIFY(Answer(host).has_value());
        QCOMPARE(f.ui.Dialogs().back(), std::string("Save changes to Untitled?"));
        QCOMPARE(f.scene().materials[1].name, std::string("Painted"));

        // Go! from the page, with new bitmaps named "v2_".
        app::ControlPanel& panel = f.window->controlPanel();
        panel.ShowPage(app::PanelPage::MaxOut);
        auto* page = dynamic_cast<app::MaxOutPage*>(panel.page(app::PanelPage::MaxOut));
        QVERIFY(page != nullptr);
        page->generateButton()->click();
        page->prefixEdit()->setText("v2_");
        emit page->prefixEdit()->textEdited("v2_");
        page->goButton()->click();
        QVERIFY(f.window->hostLink()->timeOutRunning());
        const auto sent = Answer(host);
        QVERIFY(sent && sent->number == 2 && sent->lParam == 2);
        const auto bytes = HostEnd::Collect(block_);
        QVERIFY(bytes.has_value());
        std::string fault;
        const auto back = reference::ReadReturnedBlock(*bytes, static_cast<std::uint32_t>(sent->wParam), fault);
        QVERIFY2(back.has_value(), fault.c_str());
        QCOMPARE(int(back->overwrite), 0);
        QCOMPARE(std::string(reinterpret_cast<const char*>(back->prefix.data())), std::string("v2_"));
        QVERIFY(back->materials.at(0).maps[reference::kColour].present);
        QVERIFY(host.Send(3, 0, 0));
        for (int turn = 0; turn < 3000 && f.window->hostLink()->timeOutRunning(); ++turn) {
            QCoreApplication::processEvents();
            usleep(1000);
        }
        QVERIFY(!f.window->hostLink()->timeOutRunning());

        // A second program finds the link taken and says so.
        AppFixture second;
        second.window->StartHostLink();
        QVERIFY(!second.window->hostLink()->listening());
        QVERIFY(second.window->linkNote() != nullptr);
        QVERIFY(second.window->linkNote()->toolTip().contains("Another program holds the link"));
    }

private:
    std::filesystem::path runtime_;
    std::string block_;
};

} // namespace

QObject* MakeHostLinkWindowTest() { return new HostLinkWindowTest; }

} // namespace gessoria::test

#include "HostLinkWindowTest.moc"
