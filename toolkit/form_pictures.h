#pragma once
// The windows' layout pictures: GIF resources of the program (drawn by
// scripts/make-pictures, listed in resources/pictures.rc), read through
// TGIFImage when a form is created.
//
//   auto picture = toolkit::LoadFormPicture(toolkit::pictures::kSplash);
//   picture->Draw(dc, rect);                       // or
//   framework::Bitmap b = toolkit::LoadFormBitmap(toolkit::pictures::kEdgeUp);
//
// Both raise framework::Exception when the resource is missing or damaged.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include "framework/owned.h"
#include "toolkit/gif_image.h"

namespace toolkit {

namespace pictures {
// Settings dialog: the background, the page buttons Image1..Image11 and
// their hover pictures Image12..Image23.
constexpr char kConfigBackground[] = "VDCONFIG_BACKGROUND";
std::string ConfigImage(int number);   // "VDCONFIG_IMAGE" + number, 1 to 23
// Start-up wizard: one side picture per page (1 to 11), banner and logo.
std::string WizardPage(int page);       // "STARTWIZ_PAGE" + page
constexpr char kWizardBanner[] = "STARTWIZ_BANNER";
constexpr char kWizardLogo[] = "STARTWIZ_LOGO";
// Edge window: the four arrows imUp, imDown, imLeft, imRight.
constexpr char kEdgeUp[] = "EDGENAV_UP";
constexpr char kEdgeDown[] = "EDGENAV_DOWN";
constexpr char kEdgeLeft[] = "EDGENAV_LEFT";
constexpr char kEdgeRight[] = "EDGENAV_RIGHT";
constexpr char kSplash[] = "SPLASH_PICTURE";
constexpr char kErrorReport[] = "ERRREPORT_PICTURE";
// Lock cover: the strip imLeft and the centre picture imMid.
constexpr char kLockLeft[] = "LOCKCOVER_LEFT";
constexpr char kLockMid[] = "LOCKCOVER_MID";
// Window-information box: the pin glyphs Image1 ("not sticky") and Image2 ("sticky").
constexpr char kInfoNotSticky[] = "VDINFO_IMAGE1";
constexpr char kInfoSticky[] = "VDINFO_IMAGE2";
}  // namespace pictures

// The resource type of the pictures.
constexpr char kPictureResourceType[] = "GIF";

// Reads the GIF resource of that name from the module (the program when 0)
// through TGIFImage's form-streaming entry; frame 0 is decoded.
std::unique_ptr<TGIFImage> LoadFormPicture(std::string_view name, HMODULE module = nullptr);
// The same picture as a bitmap of its size, transparent parts filled with
// the colour (a form's background colour, say).
framework::Bitmap LoadFormBitmap(std::string_view name, COLORREF fill = RGB(0xF0, 0xF0, 0xF0),
                                 HMODULE module = nullptr);

}  // namespace toolkit
