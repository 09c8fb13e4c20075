#include "app/MemorySafeApplication.h"

#include <new>

namespace gessoria::app {

MemorySafeApplication::MemorySafeApplication(int& argc, char** argv) : QApplication(argc, argv) {}

MemorySafeApplication* MemorySafeApplication::instance()
{
    return qobject_cast<MemorySafeApplication*>(QCoreApplication::instance());
}

bool MemorySafeApplication::notify(QObject* receiver, QEvent* event)
{
    // The activity belongs to the outermost event: a dialog's own events, dispatched while a
    // command waits for it, keep the command's name.
    struct Depth {
        MemorySafeApplication& application;
        explicit Depth(MemorySafeApplication& a) : application(a) { ++application.depth_; }
        ~Depth()
        {
            if (--application.depth_ == 0)
                application.activity_.clear();
        }
    } depth(*this);
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ++failures_;
        if (handler_) {
            // The handler reports through dialogs of its own; the failure it reports is over.
            const QString activity = activity_;
            activity_.clear();
            try {
                handler_(activity);
            } catch (const std::bad_alloc&) {
                // Not even the report could be made: the scene was put back before it.
            }
        }
        return true;
    }
}

} // namespace gessoria::app
