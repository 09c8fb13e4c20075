#pragma once
// MemorySafeApplication: the desktop program's application object, whose event dispatch is
// the one place where an allocation failure is caught.
//
// Every menu command, key, tool stroke, open and save starts from an event; a std::bad_alloc
// thrown by whatever an event started is caught where the event was dispatched and handed
// to the registered handler, with the name of the command the event triggered when it
// triggered one (see SetActivity), instead of ending the program. The handler puts the scene
// back as it was and says so. The activity is forgotten once the outermost event returns.

#include <QApplication>
#include <QString>

#include <functional>

namespace gessoria::app {

class MemorySafeApplication : public QApplication {
    Q_OBJECT
public:
    using MemoryFailureHandler = std::function<void(const QString& activity)>;

    MemorySafeApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The running application when it is one of these, else nullptr.
    static MemorySafeApplication* instance();

    // Who hears of a failure; an empty handler leaves failures unanswered but still caught.
    void SetMemoryFailureHandler(MemoryFailureHandler handler) { handler_ = std::move(handler); }
    // What the event being dispatched is doing ("Export Maps"), for the message.
    void SetActivity(const QString& activity) { activity_ = activity; }
    // How many allocation failures were caught in this run.
    int failuresCaught() const { return failures_; }

private:
    MemoryFailureHandler handler_;
    QString activity_;
    int depth_ = 0;
    int failures_ = 0;
};

} // namespace gessoria::app
