#include "link/LinkFixture.h"


#include <cstdlib>
#include <unistd.h>

namespace gessoria::test {

std::vector<std::uint8_t> Rows(const CDIB& image)
{
    std::vector<std::uint8_t> rows;
    const std::size_t bytes = static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.bytesPerPixel());
    for (int y = 0; y < image.height(); ++y)
        rows.insert(rows.end(), image.row(y), image.row(y) + bytes);
    return rows;
}

std::filesystem::path ShortRuntimeDirectory()
{
    char pattern[] = "/tmp/gessoria-link-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    return made != nullptr ? std::filesystem::path(made) : std::filesystem::path();
}

void LinkFixture::SetUp()
{
    static int serial = 0;
    runtime_ = ShortRuntimeDirectory();
    const auto& runtime = runtime_;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    blockName = "/GessoriaLinkTest-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
    setenv("GESSORIA_LINK_BLOCK", blockName.c_str(), 1);
    ASSERT_EQ(server.Start(), LinkServer::Status::Listening) << server.problem();
    session.scene.viewWidth = 320;
    session.scene.viewHeight = 240;
    ASSERT_TRUE(host.Connect(server.path()));
}

void LinkFixture::TearDown()
{
    reference::HostEnd::Remove(blockName);
    unsetenv("GESSORIA_LINK_BLOCK");
    std::error_code ignored;
    std::filesystem::remove_all(runtime_, ignored);
}

void LinkFixture::Pump()
{
    server.AcceptWaiting();
    for (const auto id : server.connections()) {
        std::vector<LinkMessage> messages;
        server.Read(id, messages);
        for (const LinkMessage& message : messages)
            link.Receive(id, message);
    }
}

std::vector<reference::Message> LinkFixture::HandOver(const std::vector<std::uint8_t>& block, std::uint32_t base)
{
    std::vector<reference::Message> answers;
    EXPECT_TRUE(host.Send(1, kHostHandle, 0));
    Pump();
    if (auto answer = host.Next(5000))
        answers.push_back(*answer);
    EXPECT_TRUE(reference::HostEnd::Publish(blockName, block));
    EXPECT_TRUE(host.Send(3, kHostHandle, base));
    Pump();
    if (auto answer = host.Next(5000))
        answers.push_back(*answer);
    return answers;
}

} // namespace gessoria::test
