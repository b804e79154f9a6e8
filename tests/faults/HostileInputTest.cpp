// Random hostile input, seeded and reproducible: path texts, folder candidates, resource names,
// painter settings files and registry trees. Built with the strongest run-time checks the compiler
// offers; SETUP_SOAK=N runs N times as many cases.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "discovery/PathText.h"
#include "discovery/RegistryScanner.h"
#include "payload/InstallName.h"
#include "support/TestSupport.h"

namespace {

class Random {
 public:
  explicit Random(unsigned seed) : state_(seed ? seed : 1) {}
  unsigned Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<unsigned>(n)) : 0; }
  bool Chance(int percent) { return Below(100) < percent; }
  char From(const char* alphabet) { return alphabet[Below(static_cast<int>(strlen(alphabet)))]; }

 private:
  unsigned state_;
};

int Cases(int base) {
  const char* soak = getenv("SETUP_SOAK");
  int factor = soak ? atoi(soak) : 1;
  return base * (factor > 0 ? factor : 1);
}

// A buffer with guard bytes on both sides: whatever the code does, they must stay.
struct Guarded {
  unsigned char before[32];
  char text[kPathCapacity];
  unsigned char after[32];
  Guarded() {
    memset(before, 0xA5, sizeof before);
    memset(after, 0xA5, sizeof after);
    memset(text, 0, sizeof text);
  }
  bool Intact() const {
    for (int i = 0; i < 32; ++i) {
      if (before[i] != 0xA5 || after[i] != 0xA5) return false;
    }
    return true;
  }
};

std::string RandomText(Random& random, int maxLength) {
  static const char kAlphabet[] = "aZ\\\\:\"' .-_8x9\xe9\x80q/%";
  std::string text;
  int length = random.Below(maxLength + 1);
  for (int i = 0; i < length; ++i) text += random.From(kAlphabet);
  return text;
}

TEST(HostileInput, PathTextOperationsStayInTheirBuffers) {
  Random random(20261206);
  for (int n = 0; n < Cases(3000); ++n) {
    std::string input = RandomText(random, kPathCapacity - 1);
    Guarded g;
    memcpy(g.text, input.c_str(), input.size() + 1);
    size_t capacity = 1 + static_cast<size_t>(random.Below(kPathCapacity));
    if (input.size() >= capacity) capacity = input.size() + 1;
    switch (random.Below(5)) {
      case 0: {
        bool added = EnsureTrailingBackslash(g.text, capacity);
        ASSERT_LT(strnlen(g.text, kPathCapacity), capacity);
        if (added) {
          ASSERT_EQ('\\', g.text[strlen(g.text) - 1]);
        } else {
          ASSERT_EQ(input, g.text);
        }
        break;
      }
      case 1:
        CapitalizePath(g.text);
        ASSERT_EQ(input.size(), strlen(g.text));
        break;
      case 2:
        CutAfterLast(g.text, '\\');
        ASSERT_EQ(0, input.compare(0, strlen(g.text), g.text));  // a prefix of the input
        break;
      case 3: {
        StripLeadingNonLetters(g.text);
        std::string out = g.text;
        ASSERT_TRUE(out.empty() || input.compare(input.size() - out.size(), out.size(), out) == 0);
        ASSERT_TRUE(out.empty() || IsLetter(out[0]) || out == input);
        break;
      }
      default: {
        std::string tail = RandomText(random, 60);
        char* joined = JoinPath(g.text, capacity, tail.c_str());
        if (joined) {
          ASSERT_LT(strlen(g.text), capacity);
          ASSERT_EQ(tail, std::string(g.text).substr(strlen(g.text) - tail.size()));
        } else {
          ASSERT_EQ(input, g.text);
        }
      }
    }
    ASSERT_TRUE(g.Intact()) << "case " << n;
  }
}

TEST(HostileInput, FolderCandidatesKeepTheTableWhole) {
  TempFolder folder;
  std::vector<std::string> existing;
  Random random(4242);
  for (int i = 0; i < 30; ++i) {
    std::string name = "f" + std::to_string(i) + (random.Chance(30) ? "\\Velmoran" : "") + (random.Chance(20) ? "\\igrafx" : "");
    existing.push_back(folder.Make(name));
  }
  for (int round = 0; round < Cases(20); ++round) {
    ClearFolderTable();
    for (int n = 0; n < 60; ++n) {
      std::string text = existing[random.Below(static_cast<int>(existing.size()))];
      switch (random.Below(6)) {
        case 0: text += "\\"; break;
        case 1: text += "\\missing\\deeper"; break;
        case 2: text += "\\file.8bf"; break;
        case 3: for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c))); break;
        case 4: text = RandomText(random, 120); break;
        default: break;
      }
      Guarded g;
      memcpy(g.text, text.c_str(), std::min(text.size() + 1, sizeof g.text));
      g.text[kPathCapacity - 1] = '\0';
      AddFolderCandidate(g.text);
      ASSERT_TRUE(g.Intact());
    }
    bool free = false;
    std::vector<std::string> seen;
    for (const FolderEntry& row : FolderTable) {
      if (!row.path[0]) {
        free = true;
        continue;
      }
      ASSERT_FALSE(free) << "rows are filled in order";
      std::string path = row.path;
      ASSERT_LT(path.size(), static_cast<size_t>(kPathCapacity));
      ASSERT_EQ('\\', path.back());
      ASSERT_TRUE(std::find(seen.begin(), seen.end(), path) == seen.end()) << "duplicate " << path;
      std::string lower = path;
      for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      ASSERT_EQ(lower.find("igrafx") == std::string::npos ? 1 : 0, row.addMakerSubfolder) << path;
      seen.push_back(path);
    }
  }
}

TEST(HostileInput, InstalledNamesNeverGrowOrOverrun) {
  Random random(77);
  static const char kAlphabet[] = "ABZ09_:.'-8 ";
  for (int n = 0; n < Cases(20000); ++n) {
    std::string name;
    int length = random.Below(60);
    for (int i = 0; i < length; ++i) name += random.From(kAlphabet);
    Guarded g;
    memcpy(g.text, name.c_str(), name.size() + 1);
    MakeInstallName(g.text);
    std::string out = g.text;
    ASSERT_LE(out.size(), name.size()) << name;
    ASSERT_TRUE(out.find("__") == std::string::npos || name.find("___") != std::string::npos ||
                name.find(":_") != std::string::npos)
        << name << " -> " << out;  // a double underscore survives only behind a removed colon
    ASSERT_TRUE(g.Intact()) << name;
  }
}

// What the painter settings scan must find, worked out plainly: the first record that starts at a
// byte not consumed by an earlier rejected record, whose text of at most 249 characters ends in a
// NUL at its declared length.
int ReferencePainterRecord(const std::vector<unsigned char>& bytes, std::string* path) {
  size_t searchFrom = 0;  // a record may start at this byte or later
  for (size_t start = 0; start + 4 < bytes.size();) {
    bool looks = start >= searchFrom && bytes[start] == 0x80 && IsLetter(static_cast<char>(bytes[start + 2])) &&
                 bytes[start + 3] == ':' && bytes[start + 4] == '\\';
    if (!looks) {
      ++start;
      continue;
    }
    std::string text(bytes.begin() + start + 2, bytes.begin() + start + 5);
    size_t at = start + 5;
    bool ended = false;
    while (text.size() < 250 && at < bytes.size()) {
      unsigned char c = bytes[at++];
      if (c == 0) {
        ended = true;
        break;
      }
      text += static_cast<char>(c);
    }
    if (!ended && at >= bytes.size() && text.size() < 250) return -1;  // the file ends inside
    if (ended && text.size() == bytes[start + 1]) {
      *path = text;
      return static_cast<int>(start);
    }
    // Consumed up to at - 1; only that last byte may start a record again.
    start = at - 1;
    searchFrom = start;
  }
  return -1;
}

TEST(HostileInput, ThePainterScanFindsExactlyTheFirstValidRecord) {
  TempFolder folder;
  std::vector<std::string> targets;
  for (int i = 0; i < 8; ++i) targets.push_back(folder.Make("P" + std::to_string(i)));
  Random random(99);
  std::string file = folder.path() + "painter.set";
  for (int n = 0; n < Cases(150); ++n) {
    std::vector<unsigned char> bytes;
    int pieces = random.Below(8);
    for (int p = 0; p < pieces; ++p) {
      int kind = random.Below(6);
      if (kind == 0) {  // noise, with markers in it
        for (int i = random.Below(40); i > 0; --i) bytes.push_back(random.Chance(20) ? 0x80 : static_cast<unsigned char>(random.Next()));
        continue;
      }
      const std::string& target = targets[random.Below(static_cast<int>(targets.size()))];
      int declared = static_cast<int>(target.size());
      if (kind == 1) declared += 1 + random.Below(3);          // wrong length
      bytes.push_back(0x80);
      bytes.push_back(static_cast<unsigned char>(declared));
      bytes.insert(bytes.end(), target.begin(), target.end());
      if (kind == 2) {  // no NUL for a long way
        for (int i = 0; i < 260; ++i) bytes.push_back(static_cast<unsigned char>('a' + i % 20));
      }
      if (kind != 3 || p + 1 < pieces) bytes.push_back(0);      // kind 3 at the end: cut off
    }
    ASSERT_TRUE(WriteWholeFile(file, bytes));
    ClearFolderTable();
    ScanPainterSettings(file.c_str());
    std::string expectedPath;
    int at = ReferencePainterRecord(bytes, &expectedPath);
    std::vector<std::string> rows = FolderRows();
    if (at < 0) {
      ASSERT_TRUE(rows.empty()) << "case " << n << ": found " << rows[0];
    } else {
      ASSERT_EQ(1u, rows.size()) << "case " << n;
      ASSERT_EQ(0, lstrcmpiA((expectedPath + "\\").c_str(), rows[0].c_str())) << "case " << n;
    }
  }
}

// The plugin-folder test of a value, stated on its own.
bool Qualifies(std::string keyPath, std::string name, std::string data, const char* needle) {
  size_t start = 0;
  while (start < data.size() && !IsLetter(data[start])) ++start;
  if (!data.empty() && !IsLetter(data[0]) && data.size() > kStripLimit) return false;
  data = data.substr(start);
  if (data.size() < 2 || data[1] != ':') return false;
  for (char& c : keyPath) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (keyPath.find(needle) == std::string::npos) return false;
  return keyPath.find("plug") != std::string::npos || name.find("plug") != std::string::npos ||
         name.find("directory1") != std::string::npos || name.find("directory2") != std::string::npos ||
         name.find("directory3") != std::string::npos;
}

// A plain recursive walk that keeps its handles: the values the scan must offer, in its order.
void ReferenceWalk(HKEY root, const std::string& path, int depth, std::vector<std::string>* offered) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    char name[256];
    char data[257];
    DWORD nameLength = 256, size = 256, type = REG_SZ;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS) {
      break;
    }
    data[size] = '\0';
    if (type == REG_SZ && data[0] && Qualifies(path, name, data, "")) offered->push_back(data);
  }
  std::vector<std::string> children;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) {
    std::string childPath = path + "\\" + child;
    if (depth + 1 > kStackDepth || childPath.size() >= kPathCapacity) continue;
    ReferenceWalk(root, childPath, depth + 1, offered);
  }
}

TEST(HostileInput, RandomRegistryTreesAreWalkedAsAPlainWalkPredicts) {
  TempFolder folder;
  std::vector<std::string> folders;
  for (int i = 0; i < 12; ++i) folders.push_back(folder.Make("R" + std::to_string(i)));
  Random random(31337);
  const std::string vendor = "hostile" + Pid();
  const std::string top = "software\\" + vendor;
  for (int tree = 0; tree < Cases(12); ++tree) {
    RegDeleteTreeA(HKEY_CURRENT_USER, top.c_str());
    std::vector<std::string> keys = {top};
    int keyCount = 20 + random.Below(60);
    for (int k = 0; k < keyCount; ++k) {
      std::string parent = keys[random.Chance(60) ? keys.size() - 1 : random.Below(static_cast<int>(keys.size()))];
      std::string name = random.Chance(25) ? "Plug" : "k";
      name += std::to_string(k);
      if (random.Chance(5)) name += std::string(150 + random.Below(100), 'n');
      std::string path = parent + "\\" + name;
      if (!MakeKey(HKEY_CURRENT_USER, path)) continue;
      keys.push_back(path);
      for (int v = random.Below(4); v > 0; --v) {
        std::string valueName = random.Chance(30) ? "PluginDir" : random.Chance(20) ? "Directory2" : "Other";
        valueName += std::to_string(v);
        std::string data = folders[random.Below(static_cast<int>(folders.size()))];
        switch (random.Below(6)) {
          case 0: data = "\"" + data + "\""; break;
          case 1: data += "\\"; break;
          case 2: data = "relative\\" + data.substr(3); break;
          case 3: data = std::string(300, 'C'); break;  // too large to read
          default: break;
        }
        DWORD type = random.Chance(80) ? REG_SZ : random.Chance(50) ? REG_EXPAND_SZ : REG_BINARY;
        SetValue(HKEY_CURRENT_USER, path, valueName, type, data.c_str(), static_cast<DWORD>(data.size() + 1));
      }
    }
    // One chain deeper than the walk goes.
    std::string deep = keys[random.Below(static_cast<int>(keys.size()))];
    for (int level = 0; level < 30; ++level) {
      deep += "\\plug" + std::to_string(level % 10);
      SetString(HKEY_CURRENT_USER, deep, "Dir", folders[level % folders.size()]);
    }

    std::vector<std::string> offered;
    ReferenceWalk(HKEY_CURRENT_USER, top, 0, &offered);
    std::vector<std::string> expected;
    for (std::string text : offered) {
      char buffer[kPathCapacity];
      lstrcpynA(buffer, text.c_str(), sizeof buffer);
      StripLeadingNonLetters(buffer);
      for (const std::string& f : folders) {
        // Every offered text names one of the folders, in some spelling.
        std::string lower = buffer, fl = f;
        for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        for (char& c : fl) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (lower.compare(0, fl.size(), fl) == 0 && (lower.size() == fl.size() || lower[fl.size()] == '\\' || lower[fl.size()] == '"')) {
          std::string row = f + "\\";
          if (std::find(expected.begin(), expected.end(), row) == expected.end() && expected.size() < kFolderRows) {
            expected.push_back(row);
          }
        }
      }
    }
    ClearFolderTable();
    ScanRegistryTree("software", vendor.c_str(), "");
    ASSERT_EQ(expected, FolderRows()) << "tree " << tree;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, top.c_str());
}

}  // namespace
