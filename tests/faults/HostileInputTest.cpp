// Random hostile input, seeded and reproducible, against buffers with guard bytes on both sides:
// whatever the text, no operation may write outside its buffer. The suites are built with the
// compiler's run-time checks; SETUP_SOAK=N runs N times as many cases.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <windows.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "discovery/FolderTable.h"
#include "discovery/PathText.h"
#include "payload/InstallName.h"

namespace {

unsigned state = 20261206;
int Below(int n) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<int>(state % static_cast<unsigned>(n));
}

int Cases(int base) {
  int factor = getenv("SETUP_SOAK") ? atoi(getenv("SETUP_SOAK")) : 1;
  return base * (factor > 0 ? factor : 1);
}

std::string RandomText(int maxLength, const char* alphabet = "aZ\\\\:\"' .-_8x9\xe9\x80\x81q/%") {
  std::string text(Below(maxLength + 1), ' ');
  for (char& c : text) c = alphabet[Below(static_cast<int>(strlen(alphabet)))];
  return text;
}

struct Guarded {
  unsigned char before[32];
  char text[kPathCapacity];
  unsigned char after[32];
  explicit Guarded(const std::string& input) {
    memset(this, 0xA5, sizeof *this);
    lstrcpynA(text, input.c_str(), kPathCapacity);
  }
  bool Intact() const {
    for (int i = 0; i < 32; ++i) {
      if (before[i] != 0xA5 || after[i] != 0xA5) return false;
    }
    return true;
  }
};

TEST(HostileInput, PathTextOperationsStayInTheirBuffers) {
  for (int n = 0; n < Cases(3000); ++n) {
    std::string input = RandomText(kPathCapacity - 1);
    Guarded g(input);
    size_t capacity = std::min<size_t>(input.size() + 1 + Below(8), kPathCapacity);
    switch (Below(5)) {
      case 0: EnsureTrailingBackslash(g.text, capacity); break;
      case 1: CapitalizePath(g.text); break;
      case 2: CutAfterLast(g.text, '\\'); break;
      case 3: StripLeadingNonLetters(g.text); break;
      default: JoinPath(g.text, capacity, RandomText(60).c_str());
    }
    ASSERT_LT(strnlen(g.text, kPathCapacity), capacity) << "case " << n;
    ASSERT_TRUE(g.Intact()) << "case " << n;
  }
}

TEST(HostileInput, InstalledNamesNeverGrowOrOverrun) {
  for (int n = 0; n < Cases(20000); ++n) {
    std::string name = RandomText(60, "ABZ09_:.'-8 ");
    Guarded g(name);
    MakeInstallName(g.text);
    ASSERT_LE(strlen(g.text), name.size()) << name;
    ASSERT_TRUE(g.Intact()) << name;
  }
}

}  // namespace
