// The compressed part of this test's own payload (a plug-in and a text, both of which LZMA
// shrinks), decoded into real folders: whole, with a component left out, and damaged.
#include <gtest/gtest.h>

#include "payload/PackedPayload.h"
#include "payload/PayloadRun.h"
#include "support/SetupDriver.h"

#include <algorithm>

namespace {

Bytes Packed() { return ResourceBytes(MAKEINTRESOURCEA(1), kPackedResourceType); }

// Into the folder as a run does, leaving out what the keyword names; what failed stays in the run.
void Install(const Bytes& packed, const TempFolder& folder, PayloadRun* run, const wchar_t* leftOut = nullptr) {
  ASSERT_EQ(0u, run->folder.Open(Wide(folder.path()).c_str(), kWriteFolder));
  if (leftOut) run->skipped.Add(leftOut);
  InstallPackedItems(run, packed.data(), packed.size());
  run->files.Commit();
}

TEST(PackedPayload, EachItemGoesInByteForByteUnlessItsComponentIsLeftOut) {
  const Bytes packed = Packed(), plugIn = ReadWholeFile(BinFolder() + "plugin_v1.dll");
  ASSERT_FALSE(packed.empty());
  EXPECT_TRUE(ResourceBytes("PACKED_PLUGIN.8BF").empty());  // only in the stream
  for (bool leaveOutText : {true, false}) {
    TempFolder folder;
    PayloadRun run;
    Install(packed, folder, &run, leaveOutText ? L"Text" : nullptr);
    EXPECT_EQ(0, run.failures.count());
    EXPECT_TRUE(ReadWholeFile(folder.path() + "Packed Plugin.8bf") == plugIn);
    EXPECT_EQ(leaveOutText ? 1u : 2u, ListFolder(folder.path()).size());
    if (!leaveOutText) {
      Bytes text = ReadWholeFile(BinFolder() + "..\\fixtures\\text");
      EXPECT_TRUE(ReadWholeFile(folder.path() + "Packed Text.8bf") == text);
    }
  }
}

// A name in the table that would reach outside the folder, as an altered setup's could: refused,
// written nowhere, the other items written.
TEST(PackedPayload, ANameThatLeavesTheFolderIsRefused) {
  Bytes packed = Packed();
  const std::string name = "PACKED_PLUGIN.8BF";
  auto at = std::search(packed.begin(), packed.end(), name.begin(), name.end());
  ASSERT_NE(packed.end(), at);
  std::copy_n("..\\..\\PLUGINS.8BF", name.size(), at);
  TempFolder folder;
  PayloadRun run;
  Install(packed, folder, &run);
  EXPECT_EQ(1, run.failures.count());
  EXPECT_EQ(kNameNotPlain, run.failures.Get(0)->kind);
  EXPECT_EQ(std::vector<std::string>{"Packed Text.8bf"}, ListFolder(folder.path()));
  EXPECT_FALSE(Exists("C:\\Plugins.8bf"));
}

// With an empty item at the end of its table, which the build never packs and which no byte of
// the stream would ever reach.
Bytes WithEmptyItemAtTheEnd(Bytes packed) {
  DWORD* counts = reinterpret_cast<DWORD*>(&packed[8]);  // items, then bytes of the table
  const BYTE entry[] = {5, 0, 0, 0, 'E', 'M', 'P', 'T', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  size_t end = 24 + counts[1];
  counts[0] += 1;
  counts[1] += sizeof entry;
  packed.insert(packed.begin() + end, entry, entry + sizeof entry);
  return packed;
}

// Cut short in the table, in the stream or by a byte, a bit changed in the stream, a table that
// promises more items than there are or one the build never writes: the item hit is not written
// and its old file stays; an item before the damage goes in only whole.
TEST(PackedPayload, ADamagedStreamNeverWritesADamagedItem) {
  const Bytes packed = Packed(), old = {9, 9, 9}, plugIn = ReadWholeFile(BinFolder() + "plugin_v1.dll");
  ASSERT_LT(2000u, packed.size());
  const struct { size_t keep; size_t flip; BYTE mask; } damages[] = {
      {40, 0, 0}, {200, 0, 0}, {packed.size() / 2, 0, 0}, {packed.size() - 1, 0, 0},
      {packed.size(), packed.size() / 3, 0x10}, {packed.size(), packed.size() - 30, 0x01}, {packed.size(), 8, 0x01},
      {0, 0, 0}};
  for (const auto& damage : damages) {
    SCOPED_TRACE(&damage - damages);
    TempFolder folder;
    ASSERT_TRUE(WriteWholeFile(folder.path() + "Packed Text.8bf", old));  // the item the stream ends with
    Bytes damaged = damage.keep ? Bytes(packed.begin(), packed.begin() + damage.keep) : WithEmptyItemAtTheEnd(packed);
    if (damage.mask) damaged[damage.flip] ^= damage.mask;
    PayloadRun run;
    Install(damaged, folder, &run);
    EXPECT_LT(0, run.failures.count());
    EXPECT_TRUE(ReadWholeFile(folder.path() + "Packed Text.8bf") == old);
    std::vector<std::string> files = ListFolder(folder.path());  // no temporary file left either
    EXPECT_GE(2u, files.size());
    bool pluginWhole = files[0] == "Packed Plugin.8bf" && ReadWholeFile(folder.path() + files[0]) == plugIn;
    EXPECT_TRUE(files.size() == 1 || pluginWhole);
  }
}

}  // namespace
