// Go!: the block the program sends back, read by the reference host field by field; the
// acknowledgement, the time-out, sending twice and sending with no host.

#include "link/LinkFixture.h"

#include "io/HostMaterialsBlock.h"
#include "scene/LayerOperations.h"

namespace gessoria::test {
namespace {

using reference::HostEnd;
using reference::Quad;
using reference::ReadReturnedBlock;
using reference::SceneBlock;

class GoTest : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        ASSERT_EQ(HandOver(SceneBlock(Quad(), 0x2000), 0x2000).size(), 2u);
        ASSERT_TRUE(session.scene.loaded());
    }

    // The Replying the host gets for a send, and the block it then collects.
    std::optional<reference::ReturnedBlock> Collect(std::size_t* size = nullptr)
    {
        const auto replying = host.Next(5000);
        EXPECT_TRUE(replying.has_value());
        if (!replying)
            return std::nullopt;
        EXPECT_EQ(replying->number, 2u);
        EXPECT_EQ(replying->lParam, 2);
        const auto bytes = HostEnd::Collect(blockName);
        EXPECT_TRUE(bytes.has_value());
        if (!bytes)
            return std::nullopt;
        if (size != nullptr)
            *size = bytes->size();
        std::string fault;
        auto block = ReadReturnedBlock(*bytes, static_cast<std::uint32_t>(replying->wParam), fault);
        EXPECT_TRUE(block.has_value()) << fault;
        return block;
    }
};

TEST_F(GoTest, TheHostReadsEveryFieldOfTheMapsSentBack)
{
    // Paint the Colour Renderer Layer apart from the Base Layer so the composite is what goes.
    Material& material = session.scene.materials[1];
    material.stack(MapType::Colour)[0].image.row(2)[11] = 0xEE;
    session.maxOut.overwrite = 0;
    session.maxOut.prefix = std::string(32, 'p');
    ASSERT_TRUE(link.SendMaterials());
    EXPECT_EQ(front.timer, 10000);
    EXPECT_TRUE(link.awaitingAcknowledgement());

    std::size_t size = 0;
    const auto block = Collect(&size);
    ASSERT_TRUE(block.has_value());
    // 168 + 336 + a 4 x 3 Colour map + a 4 x 3 Opacity map; the other stacks hold only
    // their Renderer Layer and take no room.
    EXPECT_EQ(size, 168u + 336u + 36u + 12u);
    EXPECT_EQ(HostMaterialsBlockSize(session.scene), size);
    EXPECT_EQ(block->materialCount, 1);
    EXPECT_EQ(block->materialsOffset, 168u);
    EXPECT_EQ(block->overwrite, 0);
    EXPECT_EQ(std::string(block->prefix.begin(), block->prefix.end()), std::string(32, 'p'));
    EXPECT_TRUE(block->otherHeaderBytesZero);
    ASSERT_EQ(block->materials.size(), 1u);
    const auto& sent = block->materials[0];
    EXPECT_EQ(sent.hasLayers, 1);
    EXPECT_TRUE(sent.otherBytesZero);
    const auto& colour = sent.maps[reference::kColour];
    ASSERT_TRUE(colour.present);
    EXPECT_EQ(colour.offset, 504u);
    EXPECT_EQ(colour.width, 4);
    EXPECT_EQ(colour.height, 3);
    EXPECT_EQ(colour.bits, 24);
    EXPECT_EQ(colour.pixels, Rows(material.stack(MapType::Colour)[0].image));
    EXPECT_EQ(colour.pixels[2 * 12 + 11], 0xEE);
    const auto& opacity = sent.maps[reference::kOpacity];
    ASSERT_TRUE(opacity.present);
    EXPECT_EQ(opacity.offset, 540u);
    EXPECT_EQ(opacity.bits, 8);
    // The Opacity map the host sent comes back byte for byte.
    EXPECT_EQ(opacity.pixels, Quad().materials[0].maps[reference::kOpacity]->pixels);
    for (const int absent : {reference::kBump, reference::kShininess, reference::kSelfIllum})
        EXPECT_FALSE(sent.maps[static_cast<std::size_t>(absent)].present) << absent;
    EXPECT_EQ(block->pixelBytes, 48u);

    // The acknowledgement ends the wait.
    ASSERT_TRUE(host.Send(3, 0, 0));
    Pump();
    EXPECT_FALSE(front.timer.has_value());
    EXPECT_FALSE(link.awaitingAcknowledgement());
    EXPECT_EQ(front.collected, 1);
    EXPECT_TRUE(ui.Dialogs().empty());
}

TEST_F(GoTest, AShortPrefixIsPaddedAndAMaterialWithoutLayersSendsNoMap)
{
    Material& material = session.scene.materials[1];
    // A Colour stack of only its Renderer Layer sends nothing.
    material.stack(MapType::Colour).layers.resize(1);
    session.maxOut.prefix = "new_";
    ASSERT_TRUE(link.SendMaterials());
    std::size_t size = 0;
    auto block = Collect(&size);
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(size, 168u + 336u + 12u);
    EXPECT_EQ(block->overwrite, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->prefix.data())), "new_");
    EXPECT_FALSE(block->materials[0].maps[reference::kColour].present);
    EXPECT_EQ(block->materials[0].maps[reference::kOpacity].offset, 504u);
    ASSERT_TRUE(host.Send(3, 0, 0));
    Pump();

    // Without paint layers, nothing at all.
    material.hasLayers = 0;
    ASSERT_TRUE(link.SendMaterials());
    block = Collect(&size);
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(size, 168u + 336u);
    EXPECT_EQ(block->materials[0].hasLayers, 0);
    EXPECT_FALSE(block->materials[0].maps[reference::kOpacity].present);
}

TEST_F(GoTest, SendingTwiceWithoutAnAcknowledgementRecovers)
{
    ASSERT_TRUE(link.SendMaterials());
    ASSERT_TRUE(host.Next(5000).has_value());  // the first Replying, not collected
    ASSERT_TRUE(HostEnd::Exists(blockName));
    ASSERT_TRUE(link.SendMaterials());
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Max didn't collect last materials.\nAttempting to recover."});
    const auto block = Collect();
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->materials.size(), 1u);
    EXPECT_TRUE(link.awaitingAcknowledgement());
}

TEST_F(GoTest, TheTimeOutLetsTheBlockGoAndSaysSo)
{
    ASSERT_TRUE(link.SendMaterials());
    ASSERT_TRUE(front.timer.has_value());
    ASSERT_TRUE(HostEnd::Exists(blockName));
    link.TimeOut();
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Time Out error.  Max didn't respond"});
    EXPECT_FALSE(front.timer.has_value());
    EXPECT_FALSE(link.awaitingAcknowledgement());
    EXPECT_FALSE(HostEnd::Exists(blockName)) << "a block nobody collected is removed by its writer";

    // A host that collected the block and made one of its own under the name before the
    // time-out keeps its block.
    ASSERT_TRUE(link.SendMaterials());
    ASSERT_TRUE(Collect().has_value());
    ASSERT_TRUE(HostEnd::Publish(blockName, {1, 2, 3}));
    link.TimeOut();
    EXPECT_EQ(ui.Dialogs().back(), "Time Out error.  Max didn't respond");
    EXPECT_TRUE(HostEnd::Exists(blockName));
}

TEST_F(GoTest, NoHostOrAHostGoneMeansCommunicationsLost)
{
    // A second program run that never heard from a host.
    Session other;
    RecordingInteraction otherUi;
    RecordingFront otherFront;
    HostLink fresh(other, server, otherUi, otherFront);
    EXPECT_FALSE(fresh.SendMaterials());
    EXPECT_EQ(otherUi.Dialogs(), std::vector<std::string>{"Cant send these materials to Max.\nCommunications lost?"});
    EXPECT_FALSE(HostEnd::Exists(blockName));
    EXPECT_FALSE(otherFront.timer.has_value());

    // The host that handed the scene over has closed its connection.
    host.Close();
    Pump();
    EXPECT_FALSE(link.SendMaterials());
    EXPECT_EQ(ui.Dialogs().back(), "Cant send these materials to Max.\nCommunications lost?");
    EXPECT_FALSE(HostEnd::Exists(blockName));
}

} // namespace
} // namespace gessoria::test
