// Folders opened by handle and files replaced through them, against real folders of the prefix.
#include <gtest/gtest.h>

#include "base/FileReplacement.h"
#include "base/Permissions.h"
#include "base/TrustedFolder.h"
#include "payload/InstallFailures.h"
#include "support/TestSupport.h"

namespace {
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

// A folder the setup makes where ordinary users could change what is in it (a drive's root) gets the
// program folders' permissions, so that no user can swap the plug-ins that everyone's editor loads;
// one made in an editor's own folder takes what that folder hands down, as one made by hand does.
// Below a folder those users may rename, no folder is taken for protected, made or not.
TEST(TrustedFolder, FoldersMadeWhereOrdinaryUsersWriteGetTheProgramFoldersPermissions) {
  TempFolder temp;
  const std::string open = temp.Make("open"), closed = temp.Make("closed");
  // Wine keeps only what its file modes can hold: Everyone's rights, as "others".
  ASSERT_TRUE(SetAccessList(open, L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;WD)"));
  for (const std::string& parent : {open, closed}) {
    SCOPED_TRACE(parent);
    TrustedFolder made;
    ASSERT_EQ(0u, made.Open(Wide(parent + "\\made\\deeper\\").c_str(), kMakeFolder));
    EXPECT_EQ(parent == open, made.othersCanChange());
    made = TrustedFolder();
    ASSERT_TRUE(CreateDirectoryW(Wide(parent + "\\by hand").c_str(), nullptr));
    HANDLE folder = CreateFileW(Wide(parent + "\\made").c_str(), READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_FALSE(LetsOrdinaryUsersWrite(ReadOwnerAndAccess(folder).get()));
    CloseHandle(folder);
    EXPECT_EQ(parent == closed, AccessList(parent + "\\made") == AccessList(parent + "\\by hand"));
  }
}

// A failed run's old plug-in gets its name back over the new one, even while another program reads the
// new one with delete sharing (a virus scanner, the indexer). Where the system cannot do that, the run
// reports where the old one is, as it reports a new file it could not remove: nothing is lost unsaid.
TEST(Replacements, TakingBackLeavesNothingChangedUnsaid) {
  TempFolder temp;
  TrustedFolder folder;
  ASSERT_EQ(0u, folder.Open(Wide(temp.path()).c_str(), kWriteFolder));
  const struct { const char* name; bool hadOld, held; } cases[] = {
      {"Quiet.8bf", true, false}, {"Read.8bf", true, true}, {"New.8bf", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = temp.path() + c.name;
    ASSERT_TRUE(!c.hadOld || WriteWholeFile(target, {1}));
    Replacements journal;
    NewFile file;
    const BYTE newer = 2;
    FilePath stranded;
    ASSERT_EQ(0u, file.Begin(folder));
    ASSERT_EQ(0u, file.Write(&newer, 1));
    ASSERT_EQ(0u, file.PutInPlace(Wide(c.name).c_str(), &journal, &stranded));
    HANDLE reader = c.held ? CreateFileW(Wide(target).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0,
                                         nullptr)
                           : INVALID_HANDLE_VALUE;
    ASSERT_EQ(c.held, reader != INVALID_HANDLE_VALUE);
    InstallFailures failures;
    journal.TakeBack(&failures);
    CloseHandle(reader);
    const InstallFailure* told = failures.Get(0);
    EXPECT_TRUE(c.held || !told);
    EXPECT_TRUE(!told || told->kind == (c.hadOld ? kOldPlugInStranded : kNotTakenBack));
    if (c.hadOld) {  // where it is said to be, or under its name
      EXPECT_TRUE(ReadWholeFile(told ? Utf8(told->subject) : target) == Bytes{1});
    } else {
      EXPECT_TRUE(told || !Exists(target));
    }
  }
}

// Junctions and symbolic links name another place; a sync client's cloud files (a Documents folder moved to a
// cloud drive) and the system's own reparse points are where they are.
TEST(TrustedFolder, TakesOnlyNameSurrogatesForLinks) {
  const DWORD kPoint = FILE_ATTRIBUTE_REPARSE_POINT;
  const struct { DWORD attributes, tag; bool link; } kinds[] = {
      {FILE_ATTRIBUTE_DIRECTORY | kPoint, IO_REPARSE_TAG_MOUNT_POINT, true}, {kPoint, IO_REPARSE_TAG_SYMLINK, true},
      {FILE_ATTRIBUTE_DIRECTORY | kPoint, 0x9000301A, false},  // a cloud folder
      {kPoint, IO_REPARSE_TAG_DEDUP, false}, {FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT, false}};
  for (const auto& kind : kinds) EXPECT_EQ(kind.link, IsLinkKind(kind.attributes, kind.tag)) << std::hex << kind.tag;
}

// A link (junction, symbolic link) on the way to a folder, or in place of a file, is refused before anything is done
// through it. Wine makes no links: a hidden folder and file, whose attribute Wine keeps, stand in for them.
TEST(TrustedFolder, RefusesALinkOnTheWayAndInPlaceOfAFile) {
  TempFolder temp;
  const std::string hidden = temp.Make("standing in\\for a link"), plain = temp.Make("plain");
  ASSERT_TRUE(WriteWholeFile(plain + "\\stand-in.8bf", {1}) && WriteWholeFile(plain + "\\file.8bf", {2}));
  ASSERT_TRUE(SetFileAttributesW(Wide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN) &&
              SetFileAttributesW(Wide(plain + "\\stand-in.8bf").c_str(), FILE_ATTRIBUTE_HIDDEN));
  TrustedFolder folder;
  folder.RefuseAlso(FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(kLinkRefused, folder.Open(Wide(hidden + "\\below\\").c_str(), kMakeFolder));
  EXPECT_FALSE(Exists(hidden + "\\below"));  // nothing made through it
  ASSERT_EQ(0u, folder.Open(Wide(plain).c_str(), kWriteFolder));
  ScopedHandle file;
  EXPECT_EQ(kLinkRefused, folder.OpenFile(L"stand-in.8bf", DELETE, kShareAll, FILE_OPEN, &file));
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(0u, folder.OpenFile(L"file.8bf", DELETE, kShareAll, FILE_OPEN, &file));
}
