// The resources that the shell, installers and scanners read from the launcher without running it:
// the application manifest and the version information.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/identity.h"
#include "support/launcher_under_test.h"
#include "support/process_run.h"

namespace ormix::test {
namespace {

std::string ManifestOf(const std::string& path) {
  HMODULE module = LoadLibraryExW(Widen(path).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr)
    return "";
  std::string text;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    if (bytes != nullptr)
      text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

TEST(ResourcesTest, ManifestRunsAsTheInvokerAndAsksForNothingElse) {
  std::string manifest = ManifestOf(LauncherUnderTest());
  ASSERT_FALSE(manifest.empty()) << "no manifest with resource id 1";
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

// Reads version information through the same calls Explorer's property sheet makes.
class VersionInfo {
 public:
  explicit VersionInfo(const std::string& path) {
    std::wstring wide = Widen(path);
    DWORD size = GetFileVersionInfoSizeW(wide.c_str(), nullptr);
    if (size == 0)
      return;
    data_.resize(size);
    if (!GetFileVersionInfoW(wide.c_str(), 0, size, data_.data()))
      data_.clear();
  }
  bool present() const { return !data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() const {
    return static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", sizeof(VS_FIXEDFILEINFO)));
  }
  const WORD* Translation() const {
    return static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", 2 * sizeof(WORD)));
  }
  std::string String(const std::wstring& table, const std::wstring& name) const {
    const void* value = Query(L"\\StringFileInfo\\" + table + L"\\" + name, 0);
    return value ? Narrow(static_cast<const wchar_t*>(value)) : "(missing)";
  }

 private:
  const void* Query(const std::wstring& block, UINT at_least) const {
    void* value = nullptr;
    UINT length = 0;
    void* data = const_cast<unsigned char*>(data_.data());
    if (!VerQueryValueW(data, block.c_str(), &value, &length) || length < at_least)
      return nullptr;
    return value;
  }

  std::vector<unsigned char> data_;
};

TEST(ResourcesTest, VersionInformationNamesTheProduct) {
  const Identity& id = ExpectedIdentity();
  VersionInfo info(LauncherUnderTest());
  ASSERT_TRUE(info.present()) << "no version resource";

  const VS_FIXEDFILEINFO* fixed = info.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  unsigned v[4] = {};
  ASSERT_EQ(std::sscanf(id.file_version.c_str(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]), 4);
  DWORD high = v[0] << 16 | v[1];
  DWORD low = v[2] << 16 | v[3];
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // One string table, U.S. English in code page 1252.
  const WORD* translation = info.Translation();
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);

  const struct {
    const wchar_t* name;
    std::string value;
  } kStrings[] = {
      {L"CompanyName", id.company_name},
      {L"FileDescription", id.display_name},
      {L"FileVersion", id.file_version},
      {L"InternalName", id.product_key},
      {L"OriginalFilename", id.product_key + ".exe"},
      {L"ProductName", id.display_name},
      {L"ProductVersion", id.version},
  };
  for (const auto& s : kStrings) {
    EXPECT_EQ(info.String(L"040904E4", s.name), s.value) << Narrow(s.name);
  }
}

}  // namespace
}  // namespace ormix::test
