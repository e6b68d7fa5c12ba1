// Shared set-up of the layout tests: a GUI application for fonts and default settings.
#pragma once

#include "document/textbuffer.h"

#include <QString>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>

// Creates the (offscreen) QGuiApplication once for the whole run.
void EnsureGuiApplication();

// Settings back to their defaults (no INI file) before and after each test.
class LayoutTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    static void SetInt(int index, int value);
    static void SetString(int index, const QString& value);
    // The layout engine installed on a GUI application, with the pinned CJK font at 26 pixels: where
    // the pagination and rendering tests start.
    static void StartEngineWithPinnedFont();
};

// An advance table where every unit is `width` wide, CR and LF 0.
std::array<std::uint8_t, 65536> UniformAdvances(int width);

// A buffer holding `text`, built the way the edit view fills one.
std::unique_ptr<TextBuffer> MakeBuffer(const std::u16string& text);
