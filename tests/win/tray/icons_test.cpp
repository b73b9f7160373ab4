// The program's icon resources: every one loads at every size it holds, with a
// transparent background, and no two tray states look alike.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace {

constexpr int iconIds[] = {
    IDI_PROGRAM, IDI_WITHIN_HOUR, IDI_WITHIN_HALF_HOUR, IDI_WITHIN_TEN_MINUTES, IDI_DUE,
    IDI_ON,      IDI_OFF,         IDI_SNOOZED,          IDI_NOTHING_TO_DO};

// The icon's colour image as top-down BGRA pixels; empty when it cannot be read.
std::vector<std::uint32_t> pixelsOf(int id, int size) {
    const HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    if (icon == nullptr) {
        return {};
    }
    ICONINFO info{};
    std::vector<std::uint32_t> pixels;
    if (GetIconInfo(icon, &info)) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = size;
        format.bmiHeader.biHeight = -size;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        pixels.resize(static_cast<size_t>(size) * size);
        const HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS) !=
            size) {
            pixels.clear();
        }
        ReleaseDC(nullptr, screen);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    DestroyIcon(icon);
    return pixels;
}

// The sizes and colour depths that the icon's group resource lists.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
    GroupEntry entries[1];
};
#pragma pack(pop)

std::vector<std::pair<int, int>> groupOf(int id) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* group = loaded ? static_cast<const GroupHeader*>(LockResource(loaded)) : nullptr;
    std::vector<std::pair<int, int>> sizes;
    for (int i = 0; group != nullptr && i < group->count; ++i) {
        sizes.emplace_back(group->entries[i].width, group->entries[i].bitCount);
    }
    return sizes;
}

int alpha(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 24);
}

TEST(Icons, EveryIconHasEverySizeWithTransparentCornersAndAnOpaqueFace) {
    // The program's own icon also holds 256 pixels for Explorer (the group lists 256
    // as 0); the tray states stop at the notification area's 64 pixels at 400 %.
    // Their images, and the 256 one, are PNG, which the loader unpacks.
    const std::vector<int> traySizes = {16, 20, 24, 32, 40, 48, 64};
    std::vector<int> programSizes = traySizes;
    programSizes.push_back(256);
    for (int id : iconIds) {
        const std::vector<int>& sizes = id == IDI_PROGRAM ? programSizes : traySizes;
        std::vector<std::pair<int, int>> drawn;
        for (int size : sizes) {
            drawn.emplace_back(size % 256, 32);
        }
        EXPECT_EQ(groupOf(id), drawn) << id;
        for (int size : sizes) {
            const std::vector<std::uint32_t> pixels = pixelsOf(id, size);
            ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size)) << id << " at " << size;
            EXPECT_EQ(alpha(pixels[0]), 0) << id << " at " << size;
            EXPECT_EQ(alpha(pixels[size * size - 1]), 0) << id << " at " << size;
            const int middle = (size / 2) * size + size / 2;
            EXPECT_EQ(alpha(pixels[middle]), 255) << id << " at " << size;
        }
    }
}

TEST(Icons, TrayStatesDifferAtSixteenPixels) {
    std::vector<std::vector<std::uint32_t>> images;
    for (int id : iconIds) {
        images.push_back(pixelsOf(id, 16));
    }
    for (size_t a = 0; a < images.size(); ++a) {
        for (size_t b = a + 1; b < images.size(); ++b) {
            EXPECT_NE(images[a], images[b]) << iconIds[a] << " and " << iconIds[b];
        }
    }
}

} // namespace
