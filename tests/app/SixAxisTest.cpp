// The six-axis controller through libspnav, against a stand-in for the spacenavd daemon on
// a socket of the test's own (libspnav finds it through SPNAV_SOCKET): the daemon's
// protocol handshake, then motion and button reports as 32-byte packets of eight ints.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/dialogs/SpaceWarePrefsDialog.h"
#include "app/sixaxis/SixAxisController.h"
#include "io/ProfileFile.h"
#include "scene/ViewBookmarks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <sys/poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <thread>

namespace gessoria::test {
namespace {

using app::Command;

// Plays spacenavd on a Unix socket: accepts one client, answers its protocol request with
// protocol 0 (reports only), then sends what the test asks for.
class StandInDaemon {
public:
    explicit StandInDaemon(const QString& path) : path_(path.toStdString())
    {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 1) != 0)
            qWarning("the stand-in daemon could not listen");
        // The client's open waits for the answer, so the handshake runs beside the test.
        handshake_ = std::thread([this] {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20000) != 1)  // a guard against hanging, not a measurement
                return;
            client_ = ::accept(listener_, nullptr, nullptr);
            std::int32_t request = 0;
            if (::read(client_, &request, sizeof request) != sizeof request)
                return;
            request_ = request;
            const std::int32_t answer = request & ~0xFF;  // protocol 0
            if (::write(client_, &answer, sizeof answer) != sizeof answer)
                qWarning("the stand-in daemon could not answer");
        });
    }
    ~StandInDaemon()
    {
        if (handshake_.joinable())
            handshake_.join();
        Close();
        ::close(listener_);
        ::unlink(path_.c_str());
    }

    // Waits for the handshake; the client's protocol request.
    std::int32_t Handshake()
    {
        if (handshake_.joinable())
            handshake_.join();
        return request_;
    }
    void Motion(int x, int y, int z, int rx, int ry, int rz) { Send({0, x, y, z, rx, ry, rz, 16}); }
    void Button(int number, bool press) { Send({press ? 1 : 2, number, 0, 0, 0, 0, 0, 0}); }
    void Close()
    {
        if (client_ >= 0)
            ::close(client_);
        client_ = -1;
    }

private:
    void Send(const std::array<std::int32_t, 8>& packet)
    {
        if (::write(client_, packet.data(), sizeof packet) != static_cast<ssize_t>(sizeof packet))
            qWarning("the stand-in daemon could not send");
    }

    std::string path_;
    int listener_ = -1;
    int client_ = -1;
    std::int32_t request_ = 0;
    std::thread handshake_;
};

bool SameCamera(const Camera& a, const Camera& b)
{
    return a.angleX == b.angleX && a.angleY == b.angleY && a.angleZ == b.angleZ && a.lightA == b.lightA &&
           a.lightB == b.lightB && a.lightC == b.lightC && a.panX == b.panX && a.panY == b.panY && a.scale == b.scale;
}

class SixAxisTest : public QObject {
    Q_OBJECT
private slots:
    void ReportsMoveTheViewAsTheSameRotateDragAndButtonsRunTheirActions()
    {
        QTemporaryDir socketDir;
        const QString path = socketDir.filePath("spnav.sock");
        StandInDaemon daemon(path);
        qputenv("SPNAV_SOCKET", path.toUtf8());
        AppFixture f;
        qunsetenv("SPNAV_SOCKET");
        QCOMPARE(daemon.Handshake(), 0x7FAA5501);  // the protocol request, version 1 asked for
        app::SixAxisController& controller = f.window->sixAxis();
        QVERIFY(controller.connected());
        QVERIFY(controller.status().startsWith("Connected"));
        QVERIFY(f.OpenSample());
        Scene& scene = f.scene();
        const Camera start = scene.camera;

        // A twist of 6 pixels' worth (32 counts a pixel) and a tilt of 4.
        daemon.Motion(0, 0, 0, 4 * 32, 6 * 32, 0);
        QTRY_VERIFY(!SameCamera(scene.camera, start));
        const Camera moved = scene.camera;

        // The same Rotate drag with the mouse: 6 pixels left, 4 down.
        scene.camera = start;
        f.window->commands()[Command::Rotate]->trigger();
        const QPoint at = f.PointOnObject();
        f.Drag({at, at + QPoint(-6, 4)});
        QVERIFY(SameCamera(scene.camera, moved));
        QCOMPARE(scene.camera.angleY, start.angleY + 6);
        QCOMPARE(scene.camera.angleX, start.angleX - 4);

        // Button 1 resets to the front view (the "Front" standard view with its zoom).
        ViewBookmarks standard;
        standard.ResetToStandardViews(scene.camera);
        daemon.Button(0, true);
        daemon.Button(0, false);
        QTRY_VERIFY(SameCamera(scene.camera, standard.entries().front().camera));

        // Button 3 toggles Single Axis: then only the strongest axis moves the view.
        daemon.Button(2, true);
        QTRY_VERIFY(f.workspace.session.preferences.sixAxis.singleAxis);
        const Camera front = scene.camera;
        daemon.Motion(0, 0, 0, 2 * 32, -5 * 32, 0);
        QTRY_VERIFY(!SameCamera(scene.camera, front));
        QCOMPARE(scene.camera.angleY, front.angleY - 5);
        QCOMPARE(scene.camera.angleX, front.angleX);

        // The daemon going away lets the connection go; the program goes on.
        daemon.Close();
        QTRY_VERIFY(!controller.connected());
        QVERIFY(controller.status().startsWith("No six-axis controller was found"));
    }

    void WithoutADaemonThePreferencesSaySoAndKeepTheSettings()
    {
        qputenv("SPNAV_SOCKET", "/nonexistent/spnav.sock");
        AppFixture f;
        qunsetenv("SPNAV_SOCKET");
        QVERIFY(!f.window->sixAxis().connected());
        QAction* prefs = f.window->commands()[Command::SpaceWarePrefs];
        QVERIFY(prefs->isEnabled());
        QString shown;
        QTimer editor;
        QObject::connect(&editor, &QTimer::timeout, [&shown] {
            auto* dialog = qobject_cast<app::SpaceWarePrefsDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            shown = dialog->windowTitle() + "|" + dialog->deviceLabel()->text();
            KeepPicture(*dialog, "spaceware-prefs");
            dialog->sensitivity()->setValue(2.5);
            dialog->invert(4)->setChecked(true);
            dialog->singleAxis()->setChecked(true);
            dialog->button(1)->setCurrentIndex(static_cast<int>(SixAxisButtonAction::ToggleSingleAxis));
            dialog->accept();
        });
        editor.start(20);
        prefs->trigger();
        editor.stop();
        QCOMPARE(shown, QString("SpaceWare Prefs|No six-axis controller was found (the spacenavd daemon is not running)."));
        const SixAxisSettings& settings = f.workspace.session.preferences.sixAxis;
        QCOMPARE(settings.sensitivity, 2.5f);
        QVERIFY(settings.invert[4] && !settings.invert[3]);
        QVERIFY(settings.singleAxis);
        QCOMPARE(settings.buttons[1], SixAxisButtonAction::ToggleSingleAxis);
        QCOMPARE(settings.buttons[0], SixAxisButtonAction::ResetToFront);

        // Kept in the INI with the other preferences and read back at the next start.
        const std::string ini = f.directory.filePath("gessoria.INI").toStdString();
        ProfileFile file = ProfileFile::Load(ini);
        f.workspace.session.preferences.Save(file, f.scene().mapPaths);
        QVERIFY(file.Save(ini));
        Session again;
        again.Startup(ini, f.directory.path().toStdString(), f.ui);
        QCOMPARE(again.preferences.sixAxis.sensitivity, 2.5f);
        QVERIFY(again.preferences.sixAxis.singleAxis);
        QCOMPARE(again.preferences.sixAxis.buttons[1], SixAxisButtonAction::ToggleSingleAxis);
    }
};

} // namespace

QObject* MakeSixAxisTest()
{
    return new SixAxisTest;
}

} // namespace gessoria::test

#include "SixAxisTest.moc"
