// The link's socket: where it lives, a stale one replaced, a live one left to its program,
// a folder that is not this user's refused, and the 24-byte messages.

#include "io/LinkServer.h"
#include "link/LinkFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

class LinkServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime = ShortRuntimeDirectory();
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(runtime, ignored);
    }
    std::filesystem::path runtime;
};

TEST_F(LinkServerTest, TheSocketExistsExactlyWhileTheServerListens)
{
    EXPECT_EQ(LinkSocketPath(), runtime / "gessoria" / "link.sock");
    {
        LinkServer server;
        ASSERT_EQ(server.Start(), LinkServer::Status::Listening) << server.problem();
        EXPECT_TRUE(std::filesystem::is_socket(server.path()));
        struct stat folder {};
        ASSERT_EQ(stat((runtime / "gessoria").c_str(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);

        // A second program finds the first one live and runs without the link.
        LinkServer second;
        EXPECT_EQ(second.Start(), LinkServer::Status::HeldByAnother);
        EXPECT_FALSE(second.problem().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(runtime / "gessoria" / "link.sock")) << "the first removed its socket";

    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(LinkSocketPath(), std::filesystem::path("/tmp/gessoria-link-" + std::to_string(getuid())) / "link.sock");
}

TEST_F(LinkServerTest, ASocketLeftByACrashedRunIsReplaced)
{
    std::filesystem::create_directories(runtime / "gessoria");
    const auto path = runtime / "gessoria" / "link.sock";
    // Bound and closed without being removed: nobody answers on it.
    const int dead = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(dead, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(dead);
    ASSERT_TRUE(std::filesystem::is_socket(path));

    LinkServer server;
    ASSERT_EQ(server.Start(), LinkServer::Status::Listening) << server.problem();
    reference::HostEnd host;
    EXPECT_TRUE(host.Connect(path));
    ASSERT_TRUE(host.Send(1, 77, 0));
    const auto accepted = server.AcceptWaiting();
    ASSERT_EQ(accepted.size(), 1u);
    std::vector<LinkMessage> messages;
    EXPECT_TRUE(server.Read(accepted[0], messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].number, 1u);
    EXPECT_EQ(messages[0].wParam, 77);

    // Messages split across reads are put together; a closed connection is forgotten.
    ASSERT_TRUE(host.Send(3, -2, 0x1122334455667788ll));
    messages.clear();
    EXPECT_TRUE(server.Read(accepted[0], messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].wParam, -2);
    EXPECT_EQ(messages[0].lParam, 0x1122334455667788ll);
    ASSERT_TRUE(server.Send(accepted[0], {2, 5, 6}));
    const auto answer = host.Next(5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->number, 2u);
    EXPECT_EQ(answer->wParam, 5);
    EXPECT_EQ(answer->lParam, 6);
    host.Close();
    EXPECT_FALSE(server.Read(accepted[0], messages));
    EXPECT_FALSE(server.IsOpen(accepted[0]));
    EXPECT_FALSE(server.Send(accepted[0], {2, 0, 0}));
}

TEST_F(LinkServerTest, AMessageIsTwentyFourLittleEndianBytes)
{
    std::uint8_t bytes[kLinkMessageSize];
    EncodeLinkMessage({3, 0x0102030405060708ll, -1}, bytes);
    const std::uint8_t expected[kLinkMessageSize] = {3, 0, 0, 0, 0, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1,
                                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, expected, kLinkMessageSize), 0);
}

TEST_F(LinkServerTest, AFolderOfAnotherUserIsRefused)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs to give a folder to another user";
    const auto folder = runtime / "gessoria";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chown(folder.c_str(), 4242, 4242), 0);
    LinkServer server;
    EXPECT_EQ(server.Start(), LinkServer::Status::Unavailable);
    EXPECT_NE(server.problem().find("another user"), std::string::npos) << server.problem();
    EXPECT_FALSE(std::filesystem::exists(folder / "link.sock"));
}

} // namespace
} // namespace gessoria::test
