// The painter settings file: a file the setup reads, from a folder another program names.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "support/TestSupport.h"

static Bytes Record(const std::string& path, int declaredLength = -1, Bytes before = {}, bool withNul = true) {
  before.insert(before.end(), {0x80, static_cast<unsigned char>(declaredLength < 0 ? path.size() : declaredLength)});
  before.insert(before.end(), path.begin(), path.end() + (withNul ? 1 : 0));
  return before;
}

TEST(ScanPainterSettings, TakesTheFirstValidRecordOnly) {
  TempFolder folder;
  const std::string& b = folder.path();
  for (const char* f : {"First", "Second", "Third"}) folder.Make(f);
  // Bytes that almost start a record, a record of the wrong length, then two valid ones.
  Bytes mixed = {1, 0x80, 0x80, 'C', ':'};
  mixed = Record(b + "third", -1, Record(b + "first", -1, Record(b + "second", static_cast<int>(b.size()) + 7, mixed)));
  // Rejected without a NUL in 250 characters; the last byte read is the marker of the next record.
  Bytes noNul = {0x80, 20, 'C', ':', '\\'};
  noNul.insert(noNul.end(), 246, 'z');
  const struct { Bytes file; std::vector<std::string> rows; } cases[] = {
      {mixed, {b + "First\\"}}, {Record(b + "second", -1, noNul), {b + "Second\\"}},
      {Record(b + "first", -1, {}, false), {}},  // the file ends inside the record
      {Record(folder.Make(std::string(249 - b.size(), 'g'))), {b + "G" + std::string(248 - b.size(), 'g') + "\\"}},
      {Record(folder.Make(std::string(250 - b.size(), 'h'))), {}}};  // a path of 249 characters at most
  for (const auto& c : cases) {
    ClearFolderTable();
    ASSERT_TRUE(WriteWholeFile(b + "painter.set", c.file));
    ScanPainterSettings(Wide(b + "painter.set").c_str());
    EXPECT_EQ(c.rows, FolderRows()) << "case " << &c - cases;
  }
}
