// The built-in picture lists: resource numbers, sizes and depths of every embedded bitmap.
#pragma once

#include <array>
#include <utility>

struct BuiltinPicture
{
    int resource;
    int width;
    int height;
    int bits;
};

// Desk and cover choose from the same list; the settings hold 0-based indexes into it.
inline constexpr std::array<BuiltinPicture, 17> kDeskCoverPictureList = {{
    {130, 139, 134, 24},
    {131, 150, 150, 8},
    {132, 150, 150, 8},
    {133, 100, 100, 24},
    {142, 320, 200, 8},
    {143, 256, 256, 8},
    {157, 362, 256, 24},
    {158, 186, 239, 24},
    {168, 64, 64, 24},
    {169, 128, 128, 24},
    {170, 128, 128, 24},
    {171, 128, 128, 24},
    {172, 128, 128, 24},
    {173, 128, 128, 24},
    {174, 128, 128, 24},
    {175, 128, 128, 24},
    {179, 149, 119, 24},
}};

inline constexpr std::array<BuiltinPicture, 30> kPagePictureList = {{
    {134, 66, 66, 8},    {135, 143, 120, 4},  {136, 99, 99, 8},    {137, 327, 327, 24}, {138, 58, 50, 4},
    {139, 100, 100, 24}, {140, 125, 68, 24},  {141, 64, 64, 24},   {144, 90, 90, 24},   {145, 55, 55, 24},
    {146, 200, 50, 8},   {147, 50, 50, 8},    {148, 240, 120, 8},  {149, 66, 66, 8},    {150, 90, 90, 8},
    {151, 55, 55, 24},   {166, 128, 128, 24}, {167, 128, 128, 24}, {180, 393, 241, 24}, {181, 375, 278, 24},
    {182, 168, 168, 4},  {191, 128, 128, 24}, {183, 168, 168, 8},  {184, 168, 168, 8},  {185, 168, 168, 8},
    {186, 168, 168, 8},  {187, 168, 168, 4},  {188, 128, 128, 24}, {189, 128, 128, 24}, {190, 128, 128, 24},
}};

// Lengths of the desk/cover and page lists, for the display settings' combo boxes.
inline constexpr std::pair<int, int> kBuiltinPictureListLengths{
    static_cast<int>(kDeskCoverPictureList.size()), static_cast<int>(kPagePictureList.size())};

inline constexpr BuiltinPicture kSplashPicture = {156, 461, 129, 24};
// 32 toolbar icons of 32x32 in toolbar order, with alpha.
inline constexpr BuiltinPicture kIconStrip = {177, 1024, 32, 32};
// The same 32 images at 16x15 in 16 colours.
inline constexpr BuiltinPicture kToolbarBitmap = {128, 512, 15, 4};
inline constexpr int kToolbarIconCount = 32;
