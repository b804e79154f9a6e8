#include "payload/PackedPayload.h"

#include <string.h>

#include "base/ContentHash.h"
#include "base/Lzma.h"
#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/PresetValues.h"

namespace {

const DWORD kLargestDictionary = 8u << 20;  // what the packer uses; a larger one is refused
const char kPackedSubject[] = "the compressed plug-in files";
const DWORD kChunk = 65536, kPresetCapacity = 4096;

// Reads the little-endian numbers and texts of the table, never past its end.
struct Reader {
  const BYTE* at;
  const BYTE* end;
  bool Number(ULONGLONG* value, int bytes) {
    if (end - at < bytes) return false;
    *value = 0;
    for (int i = bytes - 1; i >= 0; --i) *value = *value << 8 | at[i];
    at += bytes;
    return true;
  }
};

struct TableEntry {
  char name[kFileNameCapacity];
  ULONGLONG size;
  ContentHash hash;
};

bool NextEntry(Reader* table, TableEntry* entry) {
  ULONGLONG length = 0, hash = 0;
  if (!table->Number(&length, 4) || length == 0 || length >= kFileNameCapacity ||
      static_cast<ULONGLONG>(table->end - table->at) < length) {
    return false;
  }
  memcpy(entry->name, table->at, static_cast<size_t>(length));
  entry->name[length] = '\0';
  table->at += length;
  if (strlen(entry->name) != length) return false;
  bool read = table->Number(&entry->size, 8) && table->Number(&hash, 8);
  entry->hash = hash;
  return read;
}

// The item being decoded, and where its bytes go.
struct Item {
  TableEntry entry;
  ItemTarget target;
  const PresetKind* kind;
  char fileName[kFileNameCapacity];
  ReplacingFile file;
  DWORD error;  // of writing the file; its bytes are then decoded past
  ULONGLONG left;
  ContentHash hash;
};
BYTE presetBytes[kPresetCapacity];

void BeginItem(Item* item, const char* folder) {
  item->file.handle = INVALID_HANDLE_VALUE;
  item->left = item->entry.size;
  item->hash = kEmptyContentHash;
  item->error = 0;
  item->target = TargetOf(item->entry.name, folder, item->fileName, &item->kind);
  if (item->target == kItemFile) {
    item->error = item->entry.size > 0xFFFFFFFFull ? ERROR_FILE_TOO_LARGE : BeginReplacing(folder, item->fileName, &item->file);
  }
}

void PutBytes(Item* item, const BYTE* bytes, DWORD count) {
  if (item->target == kItemPreset) {
    ULONGLONG offset = item->entry.size - item->left;
    if (offset < kPresetCapacity) {
      DWORD room = static_cast<DWORD>(kPresetCapacity - offset);
      memcpy(presetBytes + offset, bytes, count < room ? count : room);
    }
  } else if (item->target == kItemFile && !item->error) {
    item->error = WriteReplacing(&item->file, bytes, count);
  }
  item->hash = HashBytes(item->hash, bytes, count);
  item->left -= count;
}

// Once all its bytes came, checked against the table: a file goes in, presets are stored.
void FinishItem(Item* item) {
  bool whole = item->left == 0 && item->hash == item->entry.hash;
  if (item->target == kItemFile) {
    DWORD error = item->error ? item->error : whole ? 0 : ERROR_INVALID_DATA;
    if (error) {
      AbandonReplacing(&item->file);
    } else {
      error = FinishReplacing(&item->file, item->fileName);
    }
    RecordFileOutcome(item->fileName, error, static_cast<DWORD>(item->entry.size), item->hash);
  } else if (item->target == kItemPreset) {
    if (whole) {
      ULONGLONG size = item->entry.size < kPresetCapacity ? item->entry.size : kPresetCapacity;
      WritePresetBlock(*item->kind, presetBytes, static_cast<DWORD>(size), item->entry.name);
    } else {
      RecordInstallFailure(kPresetTooShort, item->entry.name, ERROR_INVALID_DATA);
    }
  }
  item->target = kItemSkipped;
}

// Items not reached because the stream broke off: each wanted one is a failure of its own.
void RecordUnreached(Reader table, const char* folder, ULONGLONG count) {
  TableEntry entry;
  char fileName[kFileNameCapacity];
  const PresetKind* kind;
  while (count-- > 0 && NextEntry(&table, &entry)) {
    ItemTarget target = TargetOf(entry.name, folder, fileName, &kind);
    if (target == kItemFile) RecordInstallFailure(kFileNotWritten, fileName, ERROR_INVALID_DATA);
    if (target == kItemPreset) RecordInstallFailure(kPresetTooShort, entry.name, ERROR_INVALID_DATA);
  }
}

// Decodes the stream, handing each item its bytes in table order, until every item that is wanted
// has all of its bytes. What a damaged or cut stream leaves unwritten is recorded as failed.
void DecodeItems(LzmaReader* stream, Reader* table, ULONGLONG count, ULONGLONG wanted, const char* folder) {
  static BYTE chunk[kChunk];
  static Item item;
  item.target = kItemSkipped;
  item.left = 0;
  ULONGLONG started = 0;
  while (wanted > 0) {
    DWORD produced = 0;
    DWORD error = ReadLzma(stream, chunk, kChunk, &produced);
    if (produced == 0 && !error) error = ERROR_INVALID_DATA;  // the stream ended with items still wanted
    for (DWORD at = 0; at < produced;) {
      // Items start, and empty ones end, where their bytes begin.
      while (item.left == 0 && started < count && NextEntry(table, &item.entry)) {
        ++started;
        BeginItem(&item, folder);
        if (item.left == 0) {
          if (item.target != kItemSkipped) --wanted;
          FinishItem(&item);
        }
      }
      if (item.left == 0) return;  // the table's sizes add up to the stream's: cannot happen
      DWORD piece = produced - at;
      if (piece > item.left) piece = static_cast<DWORD>(item.left);
      PutBytes(&item, chunk + at, piece);
      at += piece;
      if (item.left == 0) {
        if (item.target != kItemSkipped) --wanted;
        FinishItem(&item);
        if (wanted == 0) return;
      }
    }
    if (error) {
      if (item.target != kItemSkipped) FinishItem(&item);  // incomplete: it fails
      RecordUnreached(*table, folder, count - started);
      return;
    }
  }
}

}  // namespace

void InstallPackedItems(const BYTE* data, size_t size, const char* folder) {
  Reader header = {data, data + size};
  ULONGLONG magic = 0, version = 0, count = 0, tableBytes = 0, total = 0;
  bool read = header.Number(&magic, 4) && magic == 0x4B504D56 /* "VMPK" */ && header.Number(&version, 4) &&
              version == 1 && header.Number(&count, 4) && header.Number(&tableBytes, 4) && header.Number(&total, 8) &&
              header.end - header.at >= kLzmaPropertiesSize &&
              tableBytes <= static_cast<ULONGLONG>(header.end - header.at - kLzmaPropertiesSize);
  Reader table = {header.at, header.at + (read ? tableBytes : 0)};
  // The table must name items whose sizes add up to the stream's, and nothing else.
  ULONGLONG sum = 0, wanted = 0;
  Reader scan = table;
  for (ULONGLONG i = 0; read && i < count; ++i) {
    TableEntry entry;
    read = NextEntry(&scan, &entry) && entry.size > 0 && entry.size <= total - sum;  // the build packs no empty one
    if (!read) break;
    sum += entry.size;
    if (!IsLeftOut(entry.name)) ++wanted;
  }
  if (!read || sum != total || scan.at != table.end) {
    RecordInstallFailure(kResourceNotLoaded, kPackedSubject, ERROR_INVALID_DATA);
    return;
  }
  if (wanted == 0) return;
  LzmaReader stream;
  DWORD error = OpenLzma(&stream, table.end, static_cast<size_t>(header.end - table.end), total, kLargestDictionary);
  if (error) {
    RecordInstallFailure(kResourceNotLoaded, kPackedSubject, error);
    return;
  }
  DecodeItems(&stream, &table, count, wanted, folder);
  CloseLzma(&stream);
}

bool InstallPackedPayload(HMODULE module, const char* folder) {
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(kPackedResourceType));
  if (!resource) return false;
  DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data || size == 0) {
    RecordInstallFailure(kResourceNotLoaded, kPackedSubject, ERROR_RESOURCE_DATA_NOT_FOUND);
  } else {
    InstallPackedItems(data, size, folder);
  }
  return true;
}
