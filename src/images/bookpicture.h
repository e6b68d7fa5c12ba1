// The built-in desk, cover, page and splash pictures, loaded from the embedded bitmaps.
#pragma once

#include "images/builtinpicturetable.h"
#include "images/cximage.h"

#include <memory>

// The process-wide picture set. Each slot owns its picture and is null when absent; page rendering
// uses the plain colour of a surface whose slot is null.
class BookPicture
{
public:
    std::unique_ptr<CxImage> m_desk;
    std::unique_ptr<CxImage> m_cover;
    std::unique_ptr<CxImage> m_page;
    std::unique_ptr<CxImage> m_splash;
};

extern BookPicture theBookPicture;

// Rebuilds all four from PARA_BACK_IMG, PARA_COVER_IMAGE and PARA_TEXT_BG_IMAGE (negative = none, past
// the end of a list = its first entry) and the splash picture. Failures leave a slot null, silently.
void LoadBuiltinPictures();
void FreeBuiltinPictures();

const CxImage* DeskPicture();
const CxImage* CoverPicture();
const CxImage* PagePicture();
const CxImage* SplashPicture();

// The entry a setting chooses from a list of `length`: -1 for none, 0 past the end.
int BuiltinPictureIndex(int setting, int length);
// One embedded bitmap as 24 bits (alpha kept), or null.
std::unique_ptr<CxImage> LoadBuiltinPicture(int resource);
