// The checks of the downloaded installer, in-process, on the stand-in installer as the build signed
// it (fixtures/sign_setup_fixtures.sh) and on what a download can bring instead: what Windows says
// of each file, which files are refused under which settings, and the hold that keeps a checked
// file from changing until the installer has started.
#include "bootstrap/installer_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bootstrap/installer_run.h"
#include "bootstrap/installer_signature.h"
#include "support/process_run.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::BinDir;
using test::FileExists;
using test::ReadWholeFile;
using test::ScopedEnv;
using test::ScratchDir;
using test::WidenAnsi;

constexpr char kPublisher[] = ORMIX_TEST_PUBLISHER;
constexpr char kOtherPublisher[] = ORMIX_TEST_OTHER_PUBLISHER;

std::string SetupFixture(const std::string& name) {
  return BinDir() + "\\setup-fixtures\\" + name;
}

std::u16string Utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Under Wine: Wine does not check that a chain ends in a trusted root, so the throwaway
// self-signed certificates pass; Windows answers CERT_E_UNTRUSTEDROOT for them.
TEST(AuthenticodeTest, WhatWindowsSaysOfEachFile) {
  struct Case {
    const char* file;
    long result;
    const char* signer;
  } cases[] = {
      {"signed.exe", 0, kPublisher},
      {"signed-large.exe", 0, kPublisher},
      {"signed-build2.exe", 0, kPublisher},
      {"other-signer.exe", 0, kOtherPublisher},
      {"unsigned.exe", TRUST_E_NOSIGNATURE, ""},
      {"tampered.exe", TRUST_E_BAD_DIGEST, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::wstring path = WidenAnsi(SetupFixture(c.file));
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(file);
    SignerName signer;
    signer.length = 99;
    EXPECT_EQ(VerifyAuthenticode(file.get(), path.c_str(), signer), c.result);
    EXPECT_EQ(std::u16string(signer.text, signer.length), Utf16(c.signer));
  }
}

// Files a download can leave in the installer's place, made in a scratch folder.
struct Download {
  const char* name;
  std::string (*make)(const ScratchDir& dir);  // returns the file's path
};

std::string CopyOf(const ScratchDir& dir, const char* fixture) {
  return dir.CopyIn(SetupFixture(fixture), "Harrowmere-Runtime-Setup.exe");
}

// The first half of a signed installer, as a transfer cut short leaves it.
std::string CutShort(const ScratchDir& dir) {
  std::string bytes = ReadWholeFile(SetupFixture("signed.exe"));
  return dir.WriteFile("Harrowmere-Runtime-Setup.exe", bytes.substr(0, bytes.size() / 2));
}

std::string Garbage(const ScratchDir& dir) {
  std::mt19937 random(14);
  std::string bytes(64 * 1024, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return dir.WriteFile("Harrowmere-Runtime-Setup.exe", bytes);
}

const Download kSigned{"signed", [](const ScratchDir& d) { return CopyOf(d, "signed.exe"); }};
const Download kLarge{"signed-large",
                      [](const ScratchDir& d) { return CopyOf(d, "signed-large.exe"); }};
const Download kOther{"other-signer",
                      [](const ScratchDir& d) { return CopyOf(d, "other-signer.exe"); }};
const Download kUnsigned{"unsigned", [](const ScratchDir& d) { return CopyOf(d, "unsigned.exe"); }};
const Download kTampered{"tampered", [](const ScratchDir& d) { return CopyOf(d, "tampered.exe"); }};
const Download kErrorPage{"error page", [](const ScratchDir& d) {
                            return d.WriteFile("Harrowmere-Runtime-Setup.exe", "status 404\n");
                          }};
const Download kCut{"cut short", CutShort};
const Download kGarbage{"garbage", Garbage};
const Download kDll{"dll", [](const ScratchDir& d) {
                      return d.CopyIn(BinDir() + "\\ormix_planted_dll.dll",
                                      "Harrowmere-Runtime-Setup.exe");
                    }};

TEST(InstallerCheckTest, RunsOnlyWhatTheSettingsAccept) {
  const InstallerTrust kPinned{true, kPublisher};
  const InstallerTrust kAnySigner{true, ""};
  const InstallerTrust kUnverified{false, kPublisher};
  struct Case {
    const Download& download;
    const InstallerTrust& trust;
    const char* trust_name;
    bool accepted;
  } cases[] = {
      {kSigned, kPinned, "pinned", true},
      {kLarge, kPinned, "pinned", true},
      {kOther, kPinned, "pinned", false},
      {kUnsigned, kPinned, "pinned", false},
      {kTampered, kPinned, "pinned", false},
      {kErrorPage, kPinned, "pinned", false},
      {kCut, kPinned, "pinned", false},
      {kGarbage, kPinned, "pinned", false},
      {kDll, kPinned, "pinned", false},
      {kOther, kAnySigner, "any signer", true},
      {kUnsigned, kAnySigner, "any signer", false},
      {kTampered, kAnySigner, "any signer", false},
      // Without the signature check, only whole program images run: what that gives up is the
      // unsigned and the altered one.
      {kUnsigned, kUnverified, "unverified", true},
      {kTampered, kUnverified, "unverified", true},
      {kErrorPage, kUnverified, "unverified", false},
      {kCut, kUnverified, "unverified", false},
      {kGarbage, kUnverified, "unverified", false},
      {kDll, kUnverified, "unverified", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.download.name) + ", " + c.trust_name);
    ScratchDir dir;
    std::wstring path = WidenAnsi(c.download.make(dir));
    FileHandle held;
    EXPECT_EQ(OpenCheckedInstaller(path.c_str(), c.trust, held), c.accepted ? 0 : -1);
    EXPECT_EQ(static_cast<bool>(held), c.accepted);
    // A refused file is let go of at once: the caller deletes it.
    held.reset();
    EXPECT_TRUE(DeleteFileW(path.c_str()));
  }
}

TEST(InstallerCheckTest, AMissingFileIsRefused) {
  ScratchDir dir;
  FileHandle held;
  EXPECT_EQ(OpenCheckedInstaller(WidenAnsi(dir.Path("absent.exe")).c_str(), {true, ""}, held), -1);
  EXPECT_FALSE(held);
}

// TEMP is writable by every program of the user: between the check and the installer's start,
// none of them may write, replace, rename or delete the file. Reading stays open to them.
TEST(InstallerCheckTest, TheCheckedFileCannotChangeUntilTheInstallerHasStarted) {
  ScratchDir dir;
  std::string path = CopyOf(dir, "signed.exe");
  std::wstring wide_path = WidenAnsi(path);
  std::wstring other = WidenAnsi(dir.WriteFile("other.exe", "MZ"));
  FileHandle held;
  ASSERT_EQ(OpenCheckedInstaller(wide_path.c_str(), {true, kPublisher}, held), 0);

  const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  for (DWORD access : {DWORD{GENERIC_WRITE}, DWORD{DELETE}, DWORD{FILE_APPEND_DATA}}) {
    SCOPED_TRACE(access);
    FileHandle attempt(
        CreateFileW(wide_path.c_str(), access, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_FALSE(attempt);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  ASSERT_FALSE(DeleteFileW(wide_path.c_str()));
  ASSERT_FALSE(MoveFileExW(wide_path.c_str(), WidenAnsi(dir.Path("moved.exe")).c_str(), 0));
  ASSERT_FALSE(MoveFileExW(other.c_str(), wide_path.c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_FALSE(CopyFileW(other.c_str(), wide_path.c_str(), FALSE));
  FileHandle reader(CreateFileW(wide_path.c_str(), GENERIC_READ, kAllSharing, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(reader);
  reader.reset();

  // The installer starts from the held file (the asserts above keep a file that is gone from
  // reaching the shell, whose error box would wait for a click); the hold ends then, so the file
  // can go afterwards.
  ScopedEnv record("ORMIX_SETUP_RECORD", dir.Path("setup.txt"));
  ScopedEnv slot("ORMIX_SETUP_SLOT", std::nullopt);
  ScopedEnv exit_code("ORMIX_SETUP_EXIT", "0");
  EXPECT_EQ(RunInstaller(wide_path.c_str(), std::move(held)), 0);
  EXPECT_EQ(ReadWholeFile(dir.Path("setup.txt")), "image " + path + "\nargc 1\nbuild 1\n");
  EXPECT_FALSE(FileExists(path));
}

// A link in the installer's place could be pointed elsewhere once its target was checked; the
// link itself is what is held, and it is refused.
TEST(InstallerCheckTest, ALinkInTheInstallersPlaceIsRefused) {
  ScratchDir dir;
  std::string target = dir.CopyIn(SetupFixture("signed.exe"), "target.exe");
  std::wstring link = WidenAnsi(dir.Path("Harrowmere-Runtime-Setup.exe"));
  // Wine 8 answers success and creates nothing.
  if (!CreateSymbolicLinkW(link.c_str(), WidenAnsi(target).c_str(), 0) ||
      GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "no symbolic links here";
  }
  FileHandle held;
  EXPECT_EQ(OpenCheckedInstaller(link.c_str(), {true, kPublisher}, held), -1);
  EXPECT_FALSE(held);
}

}  // namespace
}  // namespace ormix
