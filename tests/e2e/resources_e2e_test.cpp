// varnoth.exe's resources as Windows reads them from the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_support.h"

namespace varnoth::e2e {
namespace {

struct LoadedImage {
    HMODULE module = nullptr;
    ~LoadedImage() {
        if (module != nullptr) FreeLibrary(module);
    }
};

std::string ResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name) {
    HRSRC resource = FindResourceW(module, name, type);
    if (resource == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(module, resource));
}

TEST(ResourcesE2E, IconManifestAndVersionRecord) {
    const std::wstring exe = VarnothExecutablePath();
    LoadedImage image{LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)};
    ASSERT_NE(image.module, nullptr);

    for (const int size : {32, 16}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageW(image.module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size) << "an image of its own at this size";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }

    const std::string manifest = ResourceBytes(image.module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    wchar_t* productName = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&productName), &length));
    EXPECT_STREQ(productName, L"Varnoth");
}

}  // namespace
}  // namespace varnoth::e2e
