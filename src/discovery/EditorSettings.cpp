#include "discovery/EditorSettings.h"

#include <windows.h>

#include "base/PathText.h"
#include "base/ScopedHandle.h"
#include "discovery/FolderTable.h"

namespace {

// A settings file's text, whole, in a block of its own; empty when the file cannot be read or is
// over the bounds.
class SettingsText {
 public:
  explicit SettingsText(const wchar_t* fileName);
  const wchar_t* begin() const { return text_; }
  const wchar_t* end() const { return text_ + length_; }

 private:
  ScopedHeapBlock block_;
  wchar_t* text_ = nullptr;  // in block_
  size_t length_ = 0;
};

SettingsText::SettingsText(const wchar_t* fileName) {
  ScopedHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size = {};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kSettingsFileLimit) return;
  DWORD bytes = static_cast<DWORD>(size.QuadPart), read = 0;
  ScopedHeapBlock rawBlock(HeapAlloc(GetProcessHeap(), 0, bytes + 2));
  block_.reset(HeapAlloc(GetProcessHeap(), 0, (bytes + 1) * sizeof(wchar_t)));
  BYTE* raw = static_cast<BYTE*>(rawBlock.get());
  text_ = static_cast<wchar_t*>(block_.get());
  bool whole = raw && text_ && ReadFile(file.get(), raw, bytes, &read, nullptr) && read == bytes;
  int length = 0;
  if (whole && bytes >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {  // UTF-16 behind its mark
    length = static_cast<int>((bytes - 2) / sizeof(wchar_t));
    memcpy(text_, raw + 2, length * sizeof(wchar_t));
  } else if (whole) {
    int skip = bytes >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF ? 3 : 0;
    length = bytes - skip ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<char*>(raw + skip),
                                                static_cast<int>(bytes - skip), text_, static_cast<int>(bytes))
                          : 0;
  }
  // Any line over the bound, and the file is passed over.
  for (int i = 0, lineStart = 0; i < length; ++i) {
    if (text_[i] == L'\n') lineStart = i + 1;
    if (i - lineStart >= kSettingsLineLimit) length = 0;
  }
  length_ = static_cast<size_t>(length);
}

bool IsLocalDrivePath(const wchar_t* path) {
  if (!IsAbsolutePath(path)) return false;
  const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
  UINT kind = GetDriveTypeW(root);
  return kind != DRIVE_REMOTE && kind != DRIVE_NO_ROOT_DIR && kind != DRIVE_UNKNOWN;
}

// The folders a file names, gathered before any is offered: a file with too many offers none.
struct Folders {
  FolderPath paths[kSettingsFolderLimit];
  int count = 0;
  bool overflowed = false;
  // length: as read, blanks included; a text too long is refused whole, as it stands, never cut
  // into another folder.
  void Add(const wchar_t* text, size_t length) {
    if (length >= FolderPath::capacity()) {
      overflowed = true;
      return;
    }
    while (length > 0 && (*text == L' ' || *text == L'\t')) ++text, --length;
    while (length > 0 && (text[length - 1] == L' ' || text[length - 1] == L'\t')) --length;
    if (length == 0) return;
    if (count == kSettingsFolderLimit || !paths[count].AssignPart(text, length)) {
      overflowed = true;
      return;
    }
    ++count;
  }
  // Each folder itself, where it exists: trimmed to a parent it would be one the editor does not read.
  // Only a folder on a drive of this computer is looked at: asking for one on another computer
  // (\\host\share) would have the elevated setup sign in there, and a device path (\\.\, \\?\)
  // reaches past the checks of a path.
  void Offer(bool makerSubfolder) {
    for (int i = 0; i < count && !overflowed; ++i) {
      if (IsLocalDrivePath(paths[i]) && IsFolder(paths[i])) AddFolderCandidate(paths[i].buffer(), makerSubfolder);
    }
  }
};

bool StartsWith(const wchar_t* at, const wchar_t* end, const wchar_t* word) {
  size_t length = wcslen(word);
  return static_cast<size_t>(end - at) >= length && wmemcmp(at, word, length) == 0;
}

// The start of the content of the first element of that name (any namespace prefix) at or after
// from, and *close at its closing tag; null when there is none.
const wchar_t* FindElement(const wchar_t* from, const wchar_t* end, const wchar_t* name, const wchar_t** close) {
  size_t length = wcslen(name);
  for (const wchar_t* at = from; at < end; ++at) {
    if (*at != L'<' || at[1] == L'/') continue;
    const wchar_t* tag = at + 1;
    for (const wchar_t* colon = tag; colon < end && *colon != L'>' && *colon != L' '; ++colon) {
      if (*colon == L':') tag = colon + 1;
    }
    if (!StartsWith(tag, end, name) || (tag[length] != L'>' && tag[length] != L' ')) continue;
    const wchar_t* content = tag + length;
    while (content < end && *content != L'>') ++content;
    if (content == end || content[-1] == L'/') return nullptr;  // <name/>: no content
    ++content;
    for (const wchar_t* at2 = content; at2 + 1 < end; ++at2) {
      if (at2[0] != L'<' || at2[1] != L'/') continue;
      const wchar_t* closing = at2 + 2;
      for (const wchar_t* colon = closing; colon < end && *colon != L'>'; ++colon) {
        if (*colon == L':') closing = colon + 1;
      }
      if (StartsWith(closing, end, name) && closing[length] == L'>') {
        *close = at2;
        return content;
      }
    }
    return nullptr;
  }
  return nullptr;
}

// The text with the XML character references a folder name may need resolved, into out.
size_t Unescape(const wchar_t* text, const wchar_t* end, wchar_t* out, size_t capacity) {
  static const struct {
    const wchar_t* reference;
    wchar_t character;
  } kReferences[] = {{L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};
  size_t length = 0;
  while (text < end && length < capacity) {
    wchar_t c = *text++;
    for (const auto& reference : kReferences) {
      if (c == L'&' && StartsWith(text - 1, end, reference.reference)) {
        c = reference.character;
        text += wcslen(reference.reference) - 1;
        break;
      }
    }
    out[length++] = c;
  }
  return text < end ? capacity : length;  // too long: the caller's bound refuses it
}

}  // namespace

void ScanGimpSettings(const wchar_t* fileName) {
  SettingsText text(fileName);
  Folders folders;
  const wchar_t* const kLine = L"(pspi-path \"";
  for (const wchar_t* line = text.begin(); line && line < text.end();) {
    const wchar_t* next = line;
    while (next < text.end() && *next != L'\n') ++next;
    const wchar_t* at = line;
    while (at < next && (*at == L' ' || *at == L'\t')) ++at;
    if (StartsWith(at, next, kLine)) {
      // Quoted as GIMP writes it: a backslash escapes the next character.
      wchar_t value[kPathCapacity * 4];
      size_t length = 0;
      bool closed = false;
      for (at += wcslen(kLine); at < next && !closed && length < sizeof value / sizeof *value; ++at) {
        if (*at == L'"') {
          closed = true;
        } else {
          if (*at == L'\\' && at + 1 < next) ++at;
          value[length++] = *at;
        }
      }
      if (!closed) return;  // damaged: nothing of it is trusted
      for (size_t start = 0, i = 0; i <= length; ++i) {
        if (i == length || value[i] == L';') {
          folders.Add(value + start, i - start);
          start = i + 1;
        }
      }
    }
    line = next + 1;
  }
  folders.Offer(false);
}

void ScanFilterHostSettings(const wchar_t* fileName) {
  SettingsText text(fileName);
  Folders folders;
  if (!text.begin()) return;
  const wchar_t* close = nullptr;
  wchar_t folder[kPathCapacity];
  if (const wchar_t* list = FindElement(text.begin(), text.end(), L"SearchDirectories", &close)) {
    const wchar_t* listEnd = close;
    const wchar_t* item = list;
    while ((item = FindElement(item, listEnd, L"string", &close)) != nullptr) {
      folders.Add(folder, Unescape(item, close, folder, kPathCapacity));
      item = close;
    }
  } else if (const wchar_t* list = FindElement(text.begin(), text.end(), L"searchDirs", &close)) {
    for (const wchar_t* start = list; start <= close;) {  // older files: folders separated by commas
      const wchar_t* comma = start;
      while (comma < close && *comma != L',') ++comma;
      folders.Add(folder, Unescape(start, comma, folder, kPathCapacity));
      start = comma + 1;
    }
  }
  const wchar_t* flag = FindElement(text.begin(), text.end(), L"SearchSubdirectories", &close);
  folders.Offer(!flag || !StartsWith(flag, close, L"false"));
}
