// The screen-dependent defaults: a virtual screen is no screen, so the CLI and a headless reader agree.
#include "layout/screendefaults.h"
#include "layouttestsupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

TEST(ScreenDefaultsTest, TheOffscreenPlatformGivesTheDocumentedAssumption)
{
    EnsureGuiApplication();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    // The offscreen platform does report a screen, of a size of its own choosing.
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    const ParaScreen screen = ScreenDefaults();
    EXPECT_EQ(screen.fullScreenWidth, 1920);
    EXPECT_EQ(screen.windowColour, 0xFFFFFFu);
    const CParaBlock block(screen);
    EXPECT_EQ(block.GetInt(PARA_MARGIN_LEFT), 60);
    EXPECT_EQ(block.GetInt(PARA_SINGLE_WIDTH), 900);
    EXPECT_EQ(block.GetInt(PARA_TEXT_BG_COLOR), 0xFFFFFF);
}

} // namespace
