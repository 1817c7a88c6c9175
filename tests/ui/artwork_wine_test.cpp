#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/win_test_support.h"
#include "test_config.h"
#include "ui/resource_image.h"
#include "ui_test_support.h"

using namespace Gdiplus::DllExports;

namespace {

struct Rgba {
  int r, g, b, a;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

Rgba PixelOf(Gdiplus::GpBitmap* image, int x, int y) {
  Gdiplus::ARGB argb = 0;
  GdipBitmapGetPixel(image, x, y, &argb);
  return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24)};
}

std::vector<uint8_t> ResourceBytes(HMODULE module, WORD id, const wchar_t* type) {
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
}

HMODULE Self() { return GetModuleHandleW(nullptr); }

TEST(Artwork, HighlightIsPaleCyanWithAnAlphaRampFromBothEnds) {
  const UniqueGdipBitmap shine = LoadImageResource(Self(), IDR_BAR_SHINE);
  ASSERT_TRUE(shine);
  const SIZE size = ImageSize(shine.get());
  ASSERT_EQ(size.cx, 210);
  ASSERT_EQ(size.cy, 14);
  int peak = 0;
  for (int y = 0; y < size.cy; ++y) {
    EXPECT_EQ(PixelOf(shine.get(), 0, y).a, 0);
    EXPECT_EQ(PixelOf(shine.get(), 209, y).a, 0);
    for (int x = 0; x < size.cx; ++x) {
      const Rgba p = PixelOf(shine.get(), x, y);
      if (p.a != 0) {
        ASSERT_TRUE(p.r == 204 && p.g == 255 && p.b == 255) << x << "," << y;
      }
      const int before = x > 0 ? PixelOf(shine.get(), x - 1, y).a : 0;
      if (x <= 104) {
        ASSERT_GE(p.a, before) << "rising to the middle, " << x;
      } else {
        ASSERT_LE(p.a, before) << "falling from the middle, " << x;
      }
      peak = std::max(peak, p.a);
    }
  }
  EXPECT_NEAR(peak, 175, 5);
}

TEST(Artwork, TroughIsOpaqueWithAllButItsEdgeColumnsAlike) {
  const UniqueGdipBitmap trough = LoadImageResource(Self(), IDR_BAR_TROUGH);
  ASSERT_TRUE(trough);
  const SIZE size = ImageSize(trough.get());
  ASSERT_EQ(size.cx, 505);
  ASSERT_EQ(size.cy, 16);
  for (int y = 0; y < size.cy; ++y) {
    const Rgba middle = PixelOf(trough.get(), 1, y);
    EXPECT_FALSE(PixelOf(trough.get(), 0, y) == middle);
    EXPECT_FALSE(PixelOf(trough.get(), 504, y) == middle);
    for (int x = 0; x < size.cx; ++x) {
      ASSERT_EQ(PixelOf(trough.get(), x, y).a, 255) << x << "," << y;
      if (x >= 1 && x <= 503) {
        ASSERT_TRUE(PixelOf(trough.get(), x, y) == middle) << x << "," << y;
      }
    }
  }
}

TEST(Artwork, FillIsOpaqueBlueWithDarkerEndsAndAlikeMiddleColumns) {
  const UniqueGdipBitmap fill = LoadImageResource(Self(), IDR_BAR_FILL);
  ASSERT_TRUE(fill);
  const SIZE size = ImageSize(fill.get());
  ASSERT_EQ(size.cx, 83);
  ASSERT_EQ(size.cy, 14);
  for (int y = 0; y < size.cy; ++y) {
    const Rgba middle = PixelOf(fill.get(), 25, y);
    EXPECT_GT(middle.b, middle.r + 80) << "blue, row " << y;
    for (int x = 0; x < size.cx; ++x) ASSERT_EQ(PixelOf(fill.get(), x, y).a, 255) << x << "," << y;
    for (int x = 25; x <= 57; ++x) ASSERT_TRUE(PixelOf(fill.get(), x, y) == middle) << x << "," << y;
    EXPECT_LT(PixelOf(fill.get(), 0, y).b, middle.b);
    EXPECT_LT(PixelOf(fill.get(), 82, y).b, middle.b);
  }
}

TEST(Artwork, MissingImageResourceGivesNoImage) {
  EXPECT_FALSE(LoadImageResource(Self(), 999));
  EXPECT_EQ(ImageSize(nullptr).cx, 0);
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Artwork, IconGroupHoldsThirteenImages) {
  const std::vector<uint8_t> group = ResourceBytes(Self(), IDI_VARDEX, RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u);
  const WORD count = *reinterpret_cast<const WORD*>(&group[4]);
  ASSERT_EQ(count, 13);
  ASSERT_EQ(group.size(), 6u + count * sizeof(GroupIconEntry));
  const struct {
    int size, bits;
  } expected[] = {{48, 4}, {32, 4}, {24, 4}, {16, 4}, {48, 8}, {32, 8}, {24, 8},
                  {16, 8}, {256, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}};
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(&group[6]);
  for (int i = 0; i < count; ++i) {
    const int size = entries[i].width == 0 ? 256 : entries[i].width;
    EXPECT_EQ(size, expected[i].size) << "image " << i;
    EXPECT_EQ(entries[i].bitCount, expected[i].bits) << "image " << i;
    EXPECT_EQ(ResourceBytes(Self(), entries[i].id, RT_ICON).size(), entries[i].bytes) << "image " << i;
  }
  for (const int size : {16, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(LoadImageW(Self(), MAKEINTRESOURCEW(IDI_VARDEX), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr) << size;
    if (icon != nullptr) DestroyIcon(icon);
  }
}

TEST(Artwork, SkinIsTheBannerAboveARuleAboveTheDarkBlueField) {
  const std::vector<uint8_t> dib = ResourceBytes(Self(), IDB_SKIN, RT_BITMAP);
  ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
  const auto& header = *reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  ASSERT_EQ(header.biWidth, 482);
  ASSERT_EQ(header.biHeight, 156);  // bottom-up
  ASSERT_EQ(header.biBitCount, 24);
  ASSERT_EQ(header.biCompression, DWORD(BI_RGB));
  ASSERT_EQ(header.biClrUsed, 0u);
  const size_t stride = (482 * 3 + 3) & ~3u;
  ASSERT_EQ(dib.size(), header.biSize + stride * 156);
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &dib[header.biSize + stride * size_t(155 - y) + size_t(x) * 3];
    return Rgba{p[2], p[1], p[0], 255};
  };
  auto about = [](const Rgba& p, int r, int g, int b) {
    return std::abs(p.r - r) <= 2 && std::abs(p.g - g) <= 2 && std::abs(p.b - b) <= 2;
  };
  for (int x = 0; x < 482; ++x) {
    const Rgba rule = pixel(x, 77);
    ASSERT_TRUE(rule.r < 40 && rule.g < 40 && rule.b < 40) << "rule at " << x;
    ASSERT_TRUE(about(pixel(x, 78), 30, 66, 86)) << x;
    ASSERT_TRUE(about(pixel(x, 155), 32, 89, 118)) << x;
    for (int y = 78; y < 156; ++y) ASSERT_TRUE(pixel(x, y) == pixel(0, y)) << "plain field at " << x << "," << y;
  }
  // The banner: a blue gradient that darkens downward, with bright artwork in three places.
  for (int y = 0; y < 77; ++y) ASSERT_GT(pixel(260, y).b, pixel(260, y).r + 40) << y;
  EXPECT_GT(pixel(260, 5).b, pixel(260, 70).b);
  auto bright = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += pixel(x, y).r > 200 && pixel(x, y).g > 200 ? 1 : 0;
    return n;
  };
  EXPECT_GT(bright(16, 9, 66, 68), 200) << "logo";
  EXPECT_GT(bright(80, 12, 240, 44), 400) << "product name";
  EXPECT_GT(bright(300, 52, 470, 70), 100) << "maker's name";
}

// The program itself carries the same artwork, its manifest and its version.
class ProgramResources : public testing::Test {
 protected:
  void SetUp() override {
    program = LoadLibraryExW(VARDEX_TEST_PROGRAM, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr) << FormatWin32Error(GetLastError());
  }
  void TearDown() override { FreeLibrary(program); }
  HMODULE program = nullptr;
};

TEST_F(ProgramResources, CarryTheArtwork) {
  const struct {
    WORD id;
    const wchar_t* type;
  } artwork[] = {{IDI_VARDEX, RT_GROUP_ICON}, {IDB_SKIN, RT_BITMAP}, {IDR_BAR_SHINE, RT_RCDATA},
                 {IDR_BAR_TROUGH, RT_RCDATA}, {IDR_BAR_FILL, RT_RCDATA}};
  for (const auto& a : artwork) {
    const std::vector<uint8_t> bytes = ResourceBytes(program, a.id, a.type);
    EXPECT_FALSE(bytes.empty()) << a.id;
    EXPECT_EQ(bytes, ResourceBytes(Self(), a.id, a.type)) << a.id;
  }
  // No title string, menu or accelerators: the window starts untitled and plain.
  EXPECT_EQ(FindResourceW(program, MAKEINTRESOURCEW(128), RT_MENU), nullptr);
  EXPECT_EQ(FindResourceW(program, MAKEINTRESOURCEW(128), RT_ACCELERATOR), nullptr);
  EXPECT_EQ(FindResourceW(program, MAKEINTRESOURCEW(128 / 16 + 1), RT_STRING), nullptr);
}

TEST_F(ProgramResources, ManifestAsksForAdministratorAndCommonControlsSix) {
  const std::vector<uint8_t> bytes = ResourceBytes(program, 1, RT_MANIFEST);
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
  const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
  ASSERT_NE(controls, std::string::npos) << manifest;
  EXPECT_NE(manifest.find("version=\"6.0.0.0\"", controls), std::string::npos) << manifest;
}

std::wstring VersionString(const std::vector<uint8_t>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) return L"";
  return static_cast<const wchar_t*>(value);
}

TEST_F(ProgramResources, VersionNamesTheProductItsMakerAndItsVersion) {
  const DWORD size = GetFileVersionInfoSizeW(VARDEX_TEST_PROGRAM, nullptr);
  ASSERT_NE(size, 0u) << FormatWin32Error(GetLastError());
  std::vector<uint8_t> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(VARDEX_TEST_PROGRAM, 0, size, info.data()));
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Vardex");
  EXPECT_EQ(VersionString(info, L"CompanyName"), L"Orvane Software Group");
  EXPECT_EQ(VersionString(info, L"ProductVersion"), L"4.0.0");
  EXPECT_EQ(VersionString(info, L"FileVersion"), L"4.0.0");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00040000u);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00040000u);
}

}  // namespace
