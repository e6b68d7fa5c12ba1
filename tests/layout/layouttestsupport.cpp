// Shared set-up of the layout tests.
#include "layouttestsupport.h"

#include "layout/layoutengine.h"
#include "settings/parablock.h"

#include <QGuiApplication>
#include <algorithm>

namespace {

std::unique_ptr<QGuiApplication>& App()
{
    static std::unique_ptr<QGuiApplication> app;
    return app;
}

// The application must go before main returns: destroying it among the exit handlers crashes.
class GuiEnvironment : public ::testing::Environment
{
public:
    void TearDown() override { App().reset(); }
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

void EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "layout_tests";
    static char* argv[] = {name, nullptr};
    if (!App() && QGuiApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        App() = std::make_unique<QGuiApplication>(argc, argv);
    }
}

void LayoutTest::SetUp()
{
    theParaBlock.ResetToDefaults(ParaScreen{1920, 0xFFFFFF});
}

void LayoutTest::TearDown()
{
    theParaBlock.ResetToDefaults(ParaScreen{1920, 0xFFFFFF});
}

void LayoutTest::SetInt(int index, int value)
{
    theParaBlock.SetInt(index, value, false);
}

void LayoutTest::SetString(int index, const QString& value)
{
    theParaBlock.SetString(index, value, false);
}

void LayoutTest::StartEngineWithPinnedFont()
{
    EnsureGuiApplication();
    InstallLayoutEngine();
    SetString(PARA_TXT_FONT_NAME, QStringLiteral("Noto Sans CJK SC"));
    SetInt(PARA_FONT_SIZE, 26);
}

std::array<std::uint8_t, 65536> UniformAdvances(int width)
{
    std::array<std::uint8_t, 65536> table{};
    table.fill(static_cast<std::uint8_t>(width));
    table[u'\r'] = 0;
    table[u'\n'] = 0;
    return table;
}

std::unique_ptr<TextBuffer> MakeBuffer(const std::u16string& text)
{
    auto buffer = std::make_unique<TextBuffer>();
    char16_t* p = buffer->Allocate(text.size() + 1);
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    buffer->SetLength(text.size());
    return buffer;
}
