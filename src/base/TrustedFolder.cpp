#include "base/TrustedFolder.h"

#include <stddef.h>
#include <string.h>
#include <winternl.h>

#include <utility>

#include "base/Permissions.h"
#include "base/SystemLibrary.h"

namespace {

enum { kNameCapacity = 256 };  // a name of one file or folder, NUL included

const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens name (length characters, not terminated) relative to root, or as an NT path when root is
// null, without following a link at its end. 0 or the system's error.
// A new one gets the security descriptor given, or else what its folder hands down.
SystemError OpenRelative(HANDLE root, const wchar_t* name, size_t length, ACCESS_MASK access, ULONG share,
                   ULONG disposition, ULONG options, ScopedHandle* opened, PSECURITY_DESCRIPTOR security = nullptr) {
  UNICODE_STRING text;
  text.Length = text.MaximumLength = static_cast<USHORT>(length * sizeof(wchar_t));
  text.Buffer = const_cast<PWSTR>(name);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, root, security);
  IO_STATUS_BLOCK io;
  NTSTATUS status = NtCreateFile(opened->receive(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io,
                                 nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                                 options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  if (NT_SUCCESS(status)) return 0;
  opened->release();  // NtCreateFile leaves no handle behind on failure
  SystemError error = RtlNtStatusToDosError(status);
  return error ? error : SystemError(ERROR_OPEN_FAILED);
}

// A link, or something whose kind the system cannot tell: either way not to be gone through.
// alsoRefused: attributes refused as a link's. attributes, when given, receives the file's.
bool IsLink(HANDLE file, DWORD alsoRefused, DWORD* attributes = nullptr) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)) return true;
  if (attributes) *attributes = tag.FileAttributes;
  return IsLinkKind(tag.FileAttributes, tag.ReparseTag) || (tag.FileAttributes & alsoRefused) != 0;
}

// The folder's owner and access list, through a handle of its own: the one given may lack READ_CONTROL.
ScopedLocalBlock SecurityOf(HANDLE folder) {
  ScopedHandle readable;
  SystemError error = OpenRelative(folder, L"", 0, READ_CONTROL, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE, &readable);
  return error ? ScopedLocalBlock() : ReadOwnerAndAccess(readable.get());
}

// Opens the folder name in the open folder, and, when making folders, makes it if it is missing:
// with the permissions of the program folders where ordinary users could write in the parent, so
// that none of them can change the plug-ins that every user's editor, administrators' included,
// loads; else with what the parent hands down.
SystemError OpenOrMakeFolder(HANDLE parent, PSECURITY_DESCRIPTOR parentSecurity, const wchar_t* name, size_t length,
                       ACCESS_MASK access, ULONG share, bool make, ScopedHandle* opened, bool* created) {
  *created = false;
  SystemError error = OpenRelative(parent, name, length, access, share, FILE_OPEN, FILE_DIRECTORY_FILE, opened);
  if (!make || error != ERROR_FILE_NOT_FOUND) return error;
  // Never a folder open to every user for want of the permissions that would have closed it.
  bool needed = LetsOrdinaryUsersWrite(parentSecurity);
  PSECURITY_DESCRIPTOR guarded = needed ? ProgramFolderPermissions() : nullptr;
  if (needed && !guarded) return ERROR_NOT_ENOUGH_MEMORY;
  error = OpenRelative(parent, name, length, access, share, FILE_CREATE, FILE_DIRECTORY_FILE, opened, guarded);
  *created = error == 0;
  // Made by another program in between: that one is opened, as one that was there before.
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
    error = OpenRelative(parent, name, length, access, share, FILE_OPEN, FILE_DIRECTORY_FILE, opened);
  }
  return error;
}

bool IsDeviceName(const wchar_t* name) {
  size_t stem = wcscspn(name, L".");
  while (stem > 0 && name[stem - 1] == L' ') --stem;
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices) {
    if (wcslen(device) == stem && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, static_cast<int>(stem),
                                                 device, -1) == CSTR_EQUAL) {
      return true;
    }
  }
  // COM1 to COM9 and LPT1 to LPT9; newer systems take the superscript digits too.
  return stem == 4 && (HasPrefixIgnoringCase(name, L"COM") || HasPrefixIgnoringCase(name, L"LPT")) &&
         ((name[3] >= L'1' && name[3] <= L'9') || name[3] == 0xB9 || name[3] == 0xB2 || name[3] == 0xB3);
}

}  // namespace

bool IsLinkKind(DWORD attributes, DWORD reparseTag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

bool IsPlainFileName(const wchar_t* name) {
  size_t length = BoundedLength(name, kNameCapacity);
  if (length == 0 || length >= kNameCapacity || name[length - 1] == L'.' || name[length - 1] == L' ') return false;
  for (size_t i = 0; i < length; ++i) {
    if (name[i] < 32 || wcschr(L"\\/:*?\"<>|", name[i])) return false;
  }
  return !IsDeviceName(name);
}

SystemError TrustedFolder::Open(const wchar_t* path, FolderAccess access) {
  handle_.reset();
  rootMissing_ = false;
  othersCanChange_ = false;
  made_ = 0;
  if (!IsInstallablePath(path) || !path_.Assign(path) || !path_.EnsureTrailingBackslash()) {
    path_.Clear();
    return ERROR_BAD_PATHNAME;
  }
  // The root in the system's own notation: "\??\X:\" or "\??\UNC\server\share\".
  wchar_t root[kPathCapacity + 8] = L"\\??\\";
  const wchar_t* rest = path_ + 3;
  if (path_.get()[0] == L'\\') {
    const wchar_t* share = wcschr(path_ + 2, L'\\');
    rest = share ? wcschr(share + 1, L'\\') : nullptr;
    if (!share || !rest || share == path_ + 2 || rest == share + 1) return ERROR_BAD_PATHNAME;
    ++rest;
    wcscat(root, L"UNC\\");
    wcsncat(root, path_ + 2, static_cast<size_t>(rest - path_ - 2));
  } else {
    wcsncat(root, path_, 3);
  }
  // Making a folder asks its parent's permissions, not those of the handle it is made through:
  // only the folder itself is opened for writing.
  const ACCESS_MASK write = access == kReadFolder ? 0 : FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
  ScopedHandle current;
  SystemError error = OpenRelative(nullptr, root, wcslen(root), FILE_TRAVERSE, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE,
                             &current);
  if (error) {
    rootMissing_ = true;
    return error;
  }
  // Where the setup writes, each folder on the way is looked at: one that ordinary users can
  // take away, and rebuild with files of their own, protects nothing below it.
  ScopedLocalBlock parentSecurity;
  if (access != kReadFolder) parentSecurity = SecurityOf(current.get());
  while (*rest) {
    const wchar_t* end = wcschr(rest, L'\\');
    BoundedText<kNameCapacity> name;
    size_t length = static_cast<size_t>(end - rest);
    if (!name.AssignPart(rest, length) || !IsPlainFileName(name)) return ERROR_BAD_PATHNAME;
    bool last = end[1] == L'\0';
    // The folder itself may not be renamed while it is open: that holds every folder above it too.
    ScopedHandle next;
    bool created = false;
    error = OpenOrMakeFolder(current.get(), parentSecurity.get(), name, length,
                             FILE_TRAVERSE | (last ? write | FILE_LIST_DIRECTORY : 0),
                             last ? FILE_SHARE_READ | FILE_SHARE_WRITE : kShareAll, access == kMakeFolder, &next,
                             &created);
    if (error) return error;
    if (created) ++made_;
    if (IsLink(next.get(), alsoRefused_)) return kLinkRefused;
    if (access != kReadFolder) {
      ScopedLocalBlock security = SecurityOf(next.get());
      othersCanChange_ = othersCanChange_ || LetsOrdinaryUsersReplace(security.get(), parentSecurity.get());
      parentSecurity = std::move(security);
    }
    current = std::move(next);
    rest = end + 1;
  }
  // And the folder itself: whoever may write in it may change what is installed there.
  othersCanChange_ = access != kReadFolder && (othersCanChange_ || LetsOrdinaryUsersWrite(parentSecurity.get()));
  handle_ = std::move(current);
  return 0;
}

SystemError TrustedFolder::OpenFile(const wchar_t* name, ACCESS_MASK access, ULONG share, ULONG disposition,
                                    ScopedHandle* file, DWORD* attributes) const {
  file->reset();
  if (!IsPlainFileName(name)) return ERROR_INVALID_NAME;
  if (!isOpen()) return ERROR_INVALID_HANDLE;
  SystemError error = OpenRelative(handle_.get(), name, wcslen(name), access, share, disposition, FILE_NON_DIRECTORY_FILE, file);
  // A file just made here is no link: only one that was there may be.
  if (!error && disposition == FILE_CREATE && !attributes) return 0;
  if (!error && IsLink(file->get(), alsoRefused_, attributes)) {
    file->reset();
    error = kLinkRefused;
  }
  return error;
}

SystemError TrustedFolder::Rename(HANDLE file, const wchar_t* name, bool replace) const {
  if (!IsPlainFileName(name)) return ERROR_INVALID_NAME;
  union {
    FILE_RENAME_INFO info;
    BYTE bytes[sizeof(FILE_RENAME_INFO) + sizeof(wchar_t) * (8 + kPathCapacity + kNameCapacity)];
  } rename = {};
  // The name goes behind the structure's first character, in the room the union leaves.
  wchar_t* target = reinterpret_cast<wchar_t*>(rename.bytes + offsetof(FILE_RENAME_INFO, FileName));
  rename.info.ReplaceIfExists = replace;
  rename.info.RootDirectory = handle_.get();
  wcscpy(target, name);
  rename.info.FileNameLength = static_cast<DWORD>(wcslen(target) * sizeof(wchar_t));
  if (!renamesByFullName_) {
    if (replace) {
      // POSIX semantics, where the system has them, take the name over at once even while another
      // program reads the file that has it (with delete sharing, as virus scanners and indexers do).
      const DWORD kReplacePosix = 0x1 | 0x2;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS, _POSIX_SEMANTICS
      const auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);  // FileRenameInfoEx
      memcpy(rename.bytes, &kReplacePosix, sizeof kReplacePosix);  // its Flags share ReplaceIfExists' place
      if (SetFileInformationByHandle(file, kRenameInfoEx, &rename, sizeof rename)) return 0;
      memset(rename.bytes, 0, sizeof kReplacePosix);
      rename.info.ReplaceIfExists = TRUE;
    }
    if (SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename)) return 0;
    SystemError error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER) return error;
    // Wine refuses every rename relative to a folder: no need to ask it again.
    renamesByFullName_ = IsWine();
  }
  // Where no folder handle is taken here (network shares), a plain name renames the file in its own
  // folder, the one this handle holds in place. Wine takes a plain name as relative to the current
  // folder instead: there the folder's full name goes with it, as the folder was opened.
  rename.info.RootDirectory = nullptr;
  if (renamesByFullName_) {
    wcscpy(target, L"\\??\\");
    wcscat(target, path_);
    wcscat(target, name);
    rename.info.FileNameLength = static_cast<DWORD>(wcslen(target) * sizeof(wchar_t));
  }
  return SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename) ? 0 : GetLastError();
}

SystemError TrustedFolder::RemoveSubfolder(const wchar_t* name) const {
  if (!IsPlainFileName(name)) return ERROR_INVALID_NAME;
  ScopedHandle folder;
  SystemError error = OpenRelative(handle_.get(), name, wcslen(name), DELETE, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE, &folder);
  if (!error && IsLink(folder.get(), alsoRefused_)) error = kLinkRefused;
  return error ? error : DeleteOpenFile(folder.get());
}

SystemError TrustedFolder::OpenFolderOf(const wchar_t* fullName, FolderAccess access, const wchar_t** name) {
  const wchar_t* last = wcsrchr(fullName, L'\\');
  *name = last ? last + 1 : fullName;
  FolderPath folder;
  if (!last || !folder.AssignPart(fullName, static_cast<size_t>(*name - fullName))) return ERROR_BAD_PATHNAME;
  return isOpen() && SameIgnoringCase(folder, path_) ? 0 : Open(folder, access);
}

SystemError TrustedFolder::TakeBackMade() {
  handle_.reset();  // its own handle would keep the folder
  FolderPath path = path_;
  for (; made_ > 0; --made_) {
    path.Truncate(path.length() - 1);  // "...\parent\made"
    TrustedFolder parent;
    const wchar_t* name;
    SystemError error = parent.OpenFolderOf(path, kReadFolder, &name);
    if (!error) error = parent.RemoveSubfolder(name);
    path.Truncate(static_cast<size_t>(name - path.get()));
    if (error) {
      made_ = 0;
      return error;
    }
  }
  return 0;
}

SystemError DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) ? 0 : GetLastError();
}

DWORD AttributesOf(HANDLE file) {
  FILE_BASIC_INFO basic;
  return GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ? basic.FileAttributes
                                                                                  : INVALID_FILE_ATTRIBUTES;
}
