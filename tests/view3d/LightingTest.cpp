// The intensity rule and the lighting page.

#include "view3d/Lighting.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

TEST(Lighting, IntensityRuleWithAndWithoutDualLight)
{
    Camera camera;  // light A 512, B 512: L = (0, 0, 1) up to rounding
    const LightFrame light(camera);
    LightingSettings settings;
    EXPECT_EQ(FaceIntensity(0, 0, 1, light, settings), 12288 + 53248);
    EXPECT_EQ(FaceIntensity(0, 0, -1, light, settings), 12288);
    settings.dualLight = true;
    EXPECT_EQ(FaceIntensity(0, 0, -1, light, settings), FaceIntensity(0, 0, 1, light, settings));

    settings = {65535, 0};
    EXPECT_EQ(FaceIntensity(0.6f, 0, 0.8f, light, settings), 65535);
    EXPECT_EQ(FaceIntensity(0, -1, 0, light, settings), 65535);
    const LightVector l = LightDirection(camera);
    EXPECT_NEAR(l.z, 1.0f, 1e-6f);
}

TEST(Lighting, SinesAreRoundedOnceAndTheDotKeepsItsPrecision)
{
    // Light angles whose diffuse term lands next to a whole number: the sines of the double
    // angle rounded to floats, the dot product in more than single precision (these values
    // agree with an extended-precision evaluation; single-precision angles or arithmetic give
    // 37386 and 1502).
    Camera camera;
    camera.lightA = 3;
    camera.lightB = 938;
    EXPECT_EQ(FaceIntensity(0.6f, 0.0f, 0.8f, LightFrame(camera), LightingSettings{}), 12288 + 37385);
    camera.lightA = 5;
    camera.lightB = 770;
    EXPECT_EQ(FaceIntensity(0.6f, 0.0f, 0.8f, LightFrame(camera), LightingSettings{}), 12288 + 1503);
}

TEST(Lighting, SlidersStayWithinOneAndApplyOnlyWhenAsked)
{
    LightingSettings settings;
    LightingPage page(settings);
    EXPECT_FALSE(page.MoveSpot(60000, settings));
    EXPECT_EQ(page.ambient(), 5536);
    EXPECT_EQ(settings.diffuseLevel, 53248);  // not applied yet
    page.MoveAmbient(40000, settings);
    EXPECT_EQ(page.spot(), 25536);
    EXPECT_FALSE(page.FullAmbient(settings));
    EXPECT_EQ(settings.ambientLevel, 12288);
    page.Apply(settings);
    EXPECT_EQ(settings.ambientLevel, 65535);
    EXPECT_EQ(settings.diffuseLevel, 0);

    settings.autoUpdate = true;
    EXPECT_TRUE(page.Mix(settings));
    EXPECT_EQ(settings.ambientLevel, 32767);
    EXPECT_EQ(settings.diffuseLevel, 32767);
    EXPECT_TRUE(page.MoveBackdrop(127, settings));
    EXPECT_EQ(settings.backgroundColour, 127);
}

} // namespace
} // namespace gessoria::test
