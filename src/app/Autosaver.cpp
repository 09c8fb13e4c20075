#include "app/Autosaver.h"

#include "scene/UserInteraction.h"
#include "session/Session.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace gessoria::app {

std::chrono::milliseconds AutosaveInterval(int minutes)
{
    if (const char* seconds = std::getenv("GESSORIA_AUTOSAVE_SECONDS"); seconds != nullptr && seconds[0] != '\0')
        return std::chrono::seconds(std::max(0L, std::strtol(seconds, nullptr, 10)));
    return std::chrono::minutes(std::max(0, minutes));
}

Autosaver::Autosaver(Session& session, UserInteraction& ui, std::function<QString()> origin, QObject* parent)
    : QObject(parent), session_(session), ui_(ui), origin_(std::move(origin))
{
    connect(&interval_, &QTimer::timeout, this, &Autosaver::AutosaveNow);
    // Copying steps run as soon as the events waiting before them are handled; the writer is
    // looked at every 50 ms.
    step_.setInterval(0);
    connect(&step_, &QTimer::timeout, this, &Autosaver::Step);
}

Autosaver::~Autosaver()
{
    if (writer_.valid())
        writer_.wait();
}

bool Autosaver::Start(const std::filesystem::path& root, std::chrono::milliseconds interval)
{
    std::string reason;
    if (!slot_.Open(root, reason)) {
        ui_.TellWithReason("Error: Unable to save file " + root.string(), reason);
        return false;
    }
    SetInterval(interval);
    return true;
}

void Autosaver::SetInterval(std::chrono::milliseconds interval)
{
    interval_.stop();
    if (interval.count() > 0)
        interval_.start(interval);
}

void Autosaver::AutosaveNow()
{
    if (busy() || !slot_.open() || !session_.scene.loaded() || !session_.changes.Modified())
        return;
    if (hasWritten_ && session_.changes.count() == writtenCount_)
        return;
    try {
        snapshot_ = std::make_unique<AutosaveSnapshot>(session_, std::move(recycled_));
    } catch (const std::bad_alloc&) {
        snapshot_.reset();
        return;  // tried again at the next interval
    }
    slot_.SetOrigin(origin_ ? origin_().toStdString() : std::string());
    step_.setInterval(0);
    step_.start();
}

void Autosaver::Step()
{
    if (writer_.valid()) {
        if (writer_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            WriterDone();
        return;
    }
    if (snapshot_ == nullptr) {
        step_.stop();
        return;
    }
    snapshot_->CopySome(session_, kStepBudget);
    if (snapshot_->Failed()) {
        snapshot_.reset();
        step_.stop();
        return;
    }
    if (!snapshot_->Copied())
        return;
    writing_ = std::shared_ptr<AutosaveSnapshot>(std::move(snapshot_));
    const std::filesystem::path path = slot_.ProjectPath();
    writer_ = std::async(std::launch::async, [snapshot = writing_, path] {
        snapshot->Finish();
        return WriteProjectSnapshot(snapshot->snapshot(), path);
    });
    step_.setInterval(50);
}

void Autosaver::WriterDone()
{
    step_.stop();
    const ProjectWriteResult result = writer_.get();
    const std::uint64_t count = writing_->changeCount();
    recycled_ = writing_->Recycle();
    writing_.reset();
    if (!result.file) {
        if (!failureReported_)
            ui_.TellWithReason("Error: Unable to save file " + slot_.ProjectPath().string(), result.reason);
        failureReported_ = true;
        return;
    }
    failureReported_ = false;
    writtenCount_ = count;
    hasWritten_ = true;
    ReleaseAdopted();
    // Saved by the user meanwhile: what was just written is not needed.
    if (removeWhenWritten_ || !session_.changes.Modified())
        slot_.RemoveProject();
    removeWhenWritten_ = false;
    emit written();
}

void Autosaver::DocumentSaved()
{
    snapshot_.reset();
    ReleaseAdopted();
    if (writer_.valid())
        removeWhenWritten_ = true;
    else
        slot_.RemoveProject();
    hasWritten_ = false;
}

void Autosaver::Adopt(RecoverableWork work) { adopted_.emplace(std::move(work)); }

void Autosaver::ReleaseAdopted()
{
    if (adopted_)
        adopted_->Discard();
    adopted_.reset();
}

void Autosaver::Finish()
{
    interval_.stop();
    step_.stop();
    snapshot_.reset();
    if (writer_.valid())
        writer_.wait();
    writer_ = {};
    writing_.reset();
    recycled_ = {};
    // The exit asked about unsaved work: it was saved or discarded, the adopted work too.
    ReleaseAdopted();
    slot_.Close();
}

} // namespace gessoria::app
