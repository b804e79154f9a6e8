// What the setup reads from its own resources: a damaged or cut block must fail where it ends, never read past it.
#include <gtest/gtest.h>

#include "base/ByteReader.h"

TEST(ByteReader, ReadsLittleEndianAndFailsWithoutMovingWhereTheBlockEnds) {
  const BYTE block[] = {'S', 'T', 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 1, 2, 3, 4, 5, 6, 7, 0x80, 0xAA};
  ByteReader reader(block, sizeof block);
  WORD word = 0;
  DWORD dword = 0;
  ULONGLONG qword = 0;
  EXPECT_FALSE(reader.Expect("SX", 2));
  EXPECT_TRUE(reader.Expect("ST", 2));
  EXPECT_TRUE(reader.Word(&word));
  EXPECT_EQ(0x1234, word);
  EXPECT_TRUE(reader.Dword(&dword));
  EXPECT_EQ(0x12345678u, dword);
  EXPECT_TRUE(reader.Qword(&qword));
  EXPECT_EQ(0x8007060504030201ull, qword);
  EXPECT_FALSE(reader.Word(&word));  // one byte left
  EXPECT_EQ(nullptr, reader.Bytes(2));
  EXPECT_EQ(1u, reader.left());
  ASSERT_NE(nullptr, reader.Bytes(1));
  EXPECT_EQ(0u, reader.left());
  EXPECT_EQ(nullptr, reader.Bytes(static_cast<size_t>(-1)));  // a length the block's own bytes give
}
