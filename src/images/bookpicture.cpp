// The built-in picture slots and their loading from the embedded bitmaps.
#include "images/bookpicture.h"

#include "settings/parablock.h"

BookPicture theBookPicture;

int BuiltinPictureIndex(int setting, int length)
{
    if (setting < 0)
        return -1;
    return setting >= length ? 0 : setting;
}

std::unique_ptr<CxImage> LoadBuiltinPicture(int resource)
{
    auto picture = std::make_unique<CxImage>();
    if (!picture->LoadFromResource(resource, ImageFormat::Bmp) || !picture->ToTrueColour() ||
        !picture->IsValid())
        return nullptr;
    return picture;
}

namespace {

template <std::size_t N>
std::unique_ptr<CxImage> LoadFromList(const std::array<BuiltinPicture, N>& list, int setting)
{
    const int index = BuiltinPictureIndex(setting, static_cast<int>(N));
    return index < 0 ? nullptr : LoadBuiltinPicture(list[static_cast<std::size_t>(index)].resource);
}

} // namespace

void LoadBuiltinPictures()
{
    FreeBuiltinPictures();
    theBookPicture.m_desk = LoadFromList(kDeskCoverPictureList, ParaGetInt(PARA_BACK_IMG));
    theBookPicture.m_cover = LoadFromList(kDeskCoverPictureList, ParaGetInt(PARA_COVER_IMAGE));
    theBookPicture.m_page = LoadFromList(kPagePictureList, ParaGetInt(PARA_TEXT_BG_IMAGE));
    theBookPicture.m_splash = LoadBuiltinPicture(kSplashPicture.resource);
}

void FreeBuiltinPictures()
{
    theBookPicture.m_desk.reset();
    theBookPicture.m_cover.reset();
    theBookPicture.m_page.reset();
    theBookPicture.m_splash.reset();
}

const CxImage* DeskPicture()
{
    return theBookPicture.m_desk.get();
}

const CxImage* CoverPicture()
{
    return theBookPicture.m_cover.get();
}

const CxImage* PagePicture()
{
    return theBookPicture.m_page.get();
}

const CxImage* SplashPicture()
{
    return theBookPicture.m_splash.get();
}
