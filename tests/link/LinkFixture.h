#pragma once
// The program's side of the link in this process, served by the test between the reference
// host's steps: a real socket in a private runtime folder and real shared memory under a
// name of this run's own.

#include "link/ReferenceHost.h"
#include "io/LinkServer.h"
#include "session/HostLink.h"
#include "session/Session.h"
#include "support/RecordingInteraction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace gessoria::test {

// An image's pixel bytes row after row, top row first, as a block carries them.
std::vector<std::uint8_t> Rows(const CDIB& image);

// A fresh runtime folder with a short path: a socket's path must fit in 108 bytes, which the
// test's own folders, named after the test, do not.
std::filesystem::path ShortRuntimeDirectory();

// The link's front end in a test: it records the timer and answers the unsaved-changes question.
struct RecordingFront : HostLinkFront {
    bool mayReplace = true;
    int received = 0;  // 1 loaded, -1 failed
    std::optional<int> timer;  // running, with its length
    int collected = 0;

    bool MayReplaceScene() override { return mayReplace; }
    void SceneReceived(bool loaded) override { received = loaded ? 1 : -1; }
    void StartTimeOut(int milliseconds) override { timer = milliseconds; }
    void StopTimeOut() override { timer.reset(); }
    void MaterialsCollected() override { ++collected; }
};

class LinkFixture : public ::testing::Test {
protected:
    static constexpr std::int64_t kHostHandle = 0x1234567890ll;

    void SetUp() override;
    void TearDown() override;

    // Accepts and reads what the host sent, handing every message to the link.
    void Pump();
    // MaxCalling and its answer, then the block written at `base` and MaxMesh; the answers
    // the host received are returned in order.
    std::vector<reference::Message> HandOver(const std::vector<std::uint8_t>& block, std::uint32_t base);

    std::filesystem::path runtime_;
    std::string blockName;
    RecordingInteraction ui;
    Session session;
    LinkServer server;
    RecordingFront front;
    HostLink link{session, server, ui, front};
    reference::HostEnd host;
};

} // namespace gessoria::test
