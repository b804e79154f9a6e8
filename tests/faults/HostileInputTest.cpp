// Seeded random hostile input against buffers with guard bytes on both sides: whatever the text, no operation may
// write outside its buffer. SETUP_SOAK=N runs N times as many cases.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "discovery/FolderTable.h"
#include "discovery/PathText.h"
#include "payload/InstallName.h"

static unsigned state = 20261206;
static int Below(int n) {  // xorshift: the same cases on every run
  state ^= state << 13, state ^= state >> 17, state ^= state << 5;
  return static_cast<int>(state % static_cast<unsigned>(n));
}

static int Cases(int base) { return base * std::max(1, getenv("SETUP_SOAK") ? atoi(getenv("SETUP_SOAK")) : 1); }

static std::string RandomText(int maxLength, const char* alphabet) {
  std::string text(Below(maxLength + 1), ' ');
  for (char& c : text) c = alphabet[Below(static_cast<int>(strlen(alphabet)))];
  return text;
}

// Each random text sits in kPathCapacity characters between guard bytes; its capacity is length + 1 + 0..slack.
template <typename Operation>
static void Sweep(int base, int maxLength, int slack, const char* alphabet, Operation operation) {
  for (int n = 0; n < Cases(base); ++n) {
    std::string input = RandomText(maxLength, alphabet);
    char buffer[32 + kPathCapacity + 32], *text = buffer + 32, *after = text + kPathCapacity;
    memset(buffer, 0xA5, sizeof buffer);
    text[input.copy(text, kPathCapacity - 1)] = '\0';
    size_t capacity = std::min<size_t>(input.size() + 1 + Below(slack + 1), kPathCapacity);
    operation(text, capacity);
    ASSERT_LT(strnlen(text, kPathCapacity), capacity) << "case " << n << ": " << input;
    ASSERT_EQ(64, std::count(buffer, text, '\xA5') + std::count(after, after + 32, '\xA5')) << "case " << n;
  }
}

TEST(HostileInput, PathTextOperationsStayInTheirBuffers) {
  const char* const chars = "aZ\\\\:\"' .-_8x9\xe9\x80\x81q/%";
  Sweep(3000, kPathCapacity - 1, 7, chars, [&](char* text, size_t capacity) {
    switch (Below(5)) {
      case 0: EnsureTrailingBackslash(text, capacity); break;
      case 1: CapitalizePath(text); break;
      case 2: CutAfterLast(text, '\\'); break;
      case 3: StripLeadingNonLetters(text); break;
      default: JoinPath(text, capacity, RandomText(60, chars).c_str());
    }
  });
}

TEST(HostileInput, InstalledNamesNeverGrowOrOverrun) {
  Sweep(20000, 60, 0, "ABZ09_:.'-8 ", [](char* name, size_t) { MakeInstallName(name); });  // never grows
}
