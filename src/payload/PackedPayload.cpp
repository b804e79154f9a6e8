#include "payload/PackedPayload.h"

#include "base/ContentHash.h"
#include "base/Lzma.h"
#include "payload/PayloadRun.h"
#include "payload/PayloadWriter.h"
#include "payload/PresetValues.h"

namespace {

const DWORD kLargestDictionary = 8u << 20;  // what the packer uses; a larger one is refused
const wchar_t kPackedSubject[] = L"the compressed plug-in files";
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
  wchar_t name[MAX_PATH];
  ULONGLONG size;
  ContentHash hash;
};

// A resource name, as the build writes it: printable ASCII only.
bool NextEntry(Reader* table, TableEntry* entry) {
  ULONGLONG length = 0, hash = 0;
  if (!table->Number(&length, 4) || length == 0 || length >= MAX_PATH ||
      static_cast<ULONGLONG>(table->end - table->at) < length) {
    return false;
  }
  for (size_t i = 0; i < length; ++i) {
    BYTE c = table->at[i];
    if (c <= ' ' || c > '~') return false;
    entry->name[i] = c;
  }
  entry->name[length] = L'\0';
  table->at += length;
  bool read = table->Number(&entry->size, 8) && table->Number(&hash, 8);
  entry->hash = hash;
  return read;
}

// The item being decoded, and where its bytes go.
struct Item {
  TableEntry entry;
  ItemTarget target;
  const PresetKind* kind;
  wchar_t installName[MAX_PATH];
  NewFile file;
  DWORD error;  // of writing the file; its bytes are then decoded past
  ULONGLONG left;
  ContentHasher hasher;
};
BYTE presetBytes[kPresetCapacity];

void BeginItem(PayloadRun* run, Item* item) {
  item->left = item->entry.size;
  item->hasher = ContentHasher();
  item->error = 0;
  item->target = TargetOf(run, item->entry.name, item->installName, &item->kind);
  if (item->target == kItemFile) {
    item->error = item->entry.size > 0xFFFFFFFFull ? ERROR_FILE_TOO_LARGE : item->file.Begin(run->folder, run->files.recorder);
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
    item->error = item->file.Write(bytes, count);
  }
  item->hasher.Add(bytes, count);
  item->left -= count;
}

// Once all its bytes came, checked against the table: a file goes in, presets are stored.
void FinishItem(PayloadRun* run, Item* item) {
  ContentHash hash = item->hasher.Finish();
  bool whole = item->left == 0 && hash == item->entry.hash;
  if (item->target == kItemFile) {
    DWORD error = item->error ? item->error : whole ? 0 : ERROR_INVALID_DATA;
    FinishFile(run, &item->file, item->installName, error, static_cast<DWORD>(item->entry.size), hash);
  } else if (item->target == kItemPreset) {
    if (whole) {
      ULONGLONG size = item->entry.size < kPresetCapacity ? item->entry.size : kPresetCapacity;
      WritePresetBlock(run, *item->kind, presetBytes, static_cast<DWORD>(size), item->entry.name);
    } else {
      run->failures.Record(kPresetTooShort, item->entry.name, ERROR_INVALID_DATA);
    }
  }
  item->target = kItemSkipped;
}

// Items not reached because the stream broke off: each wanted one is a failure of its own.
void RecordUnreached(PayloadRun* run, Reader table, ULONGLONG count) {
  TableEntry entry;
  wchar_t installName[MAX_PATH];
  const PresetKind* kind;
  while (count-- > 0 && NextEntry(&table, &entry)) {
    ItemTarget target = TargetOf(run, entry.name, installName, &kind);
    if (target == kItemFile) FinishFile(run, nullptr, installName, ERROR_INVALID_DATA, 0, 0);
    if (target == kItemPreset) run->failures.Record(kPresetTooShort, entry.name, ERROR_INVALID_DATA);
  }
}

// Decodes the stream, handing each item its bytes in table order, until every item that is wanted
// has all of its bytes. What a damaged or cut stream leaves unwritten is recorded as failed.
void DecodeItems(PayloadRun* run, LzmaReader* stream, Reader* table, ULONGLONG count, ULONGLONG wanted) {
  static BYTE chunk[kChunk];
  Item item;
  item.target = kItemSkipped;
  item.left = 0;
  ULONGLONG started = 0;
  while (wanted > 0) {
    DWORD produced = 0;
    DWORD error = ReadLzma(stream, chunk, kChunk, &produced);
    if (produced == 0 && !error) error = ERROR_INVALID_DATA;  // the stream ended with items still wanted
    if (!GoOn(run, produced)) {
      // Stopped: the item in hand is never put in place; the run takes back what it wrote.
      if (item.target == kItemFile) item.file.Abandon();
      return;
    }
    for (DWORD at = 0; at < produced;) {
      // Items start, and empty ones end, where their bytes begin.
      while (item.left == 0 && started < count && NextEntry(table, &item.entry)) {
        ++started;
        BeginItem(run, &item);
        if (item.left == 0) {
          if (item.target != kItemSkipped) --wanted;
          FinishItem(run, &item);
        }
      }
      if (item.left == 0) return;  // the table's sizes add up to the stream's: cannot happen
      DWORD piece = produced - at;
      if (piece > item.left) piece = static_cast<DWORD>(item.left);
      PutBytes(&item, chunk + at, piece);
      at += piece;
      if (item.left == 0) {
        if (item.target != kItemSkipped) --wanted;
        FinishItem(run, &item);
        if (wanted == 0) return;
      }
    }
    if (error) {
      if (item.target != kItemSkipped) FinishItem(run, &item);  // incomplete: it fails
      RecordUnreached(run, *table, count - started);
      return;
    }
  }
}

// The table of a packed payload and what a run wants of it.
struct PackedTable {
  Reader entries;  // the table's entries; the stream follows them
  ULONGLONG count, total, wanted, wantedBytes;
};

// Reads the header and checks the table: it must name items whose sizes add up to the stream's,
// and nothing else. False when it does not.
bool ReadPackedTable(const BYTE* data, size_t size, const PayloadRun& run, PackedTable* table) {
  Reader header = {data, data + size};
  ULONGLONG magic = 0, version = 0, tableBytes = 0;
  table->count = table->total = table->wanted = table->wantedBytes = 0;
  ULONGLONG expected = 0;
  memcpy(&expected, setup_format::kPayloadMagic, 4);  // little-endian, as the number is read
  bool read = header.Number(&magic, 4) && magic == expected && header.Number(&version, 4) &&
              version == setup_format::kPayloadVersion && header.Number(&table->count, 4) && header.Number(&tableBytes, 4) &&
              header.Number(&table->total, 8) && header.end - header.at >= kLzmaPropertiesSize &&
              tableBytes <= static_cast<ULONGLONG>(header.end - header.at - kLzmaPropertiesSize);
  table->entries = {header.at, header.at + (read ? tableBytes : 0)};
  ULONGLONG sum = 0;
  Reader scan = table->entries;
  for (ULONGLONG i = 0; read && i < table->count; ++i) {
    TableEntry entry;
    read = NextEntry(&scan, &entry) && entry.size > 0 && entry.size <= table->total - sum;  // none is empty
    if (!read) break;
    sum += entry.size;
    if (!IsLeftOut(run, entry.name)) {
      ++table->wanted;
      table->wantedBytes += entry.size;
    }
  }
  return read && sum == table->total && scan.at == table->entries.end;
}

// The module's packed payload resource; null when it carries none.
const BYTE* PackedResource(HMODULE module, DWORD* size) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(kPackedResourceType));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  *size = resource ? SizeofResource(module, resource) : 0;
  return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

}  // namespace

ULONGLONG PackedBytes(HMODULE module, const PayloadRun& run) {
  DWORD size = 0;
  const BYTE* data = PackedResource(module, &size);
  PackedTable table;
  return data && ReadPackedTable(data, size, run, &table) ? table.wantedBytes : 0;
}

void InstallPackedItems(PayloadRun* run, const BYTE* data, size_t size) {
  PackedTable table;
  if (!ReadPackedTable(data, size, *run, &table)) {
    run->failures.Record(kResourceNotLoaded, kPackedSubject, ERROR_INVALID_DATA);
    return;
  }
  if (table.wanted == 0) return;
  LzmaReader stream;
  DWORD error = OpenLzma(&stream, table.entries.end, static_cast<size_t>(data + size - table.entries.end), table.total,
                         kLargestDictionary);
  if (error) {
    run->failures.Record(kResourceNotLoaded, kPackedSubject, error);
    return;
  }
  DecodeItems(run, &stream, &table.entries, table.count, table.wanted);
  CloseLzma(&stream);
}

bool InstallPackedPayload(PayloadRun* run, HMODULE module) {
  if (!FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(kPackedResourceType))) return false;
  DWORD size = 0;
  const BYTE* data = PackedResource(module, &size);
  if (!data || size == 0) {
    run->failures.Record(kResourceNotLoaded, kPackedSubject, ERROR_RESOURCE_DATA_NOT_FOUND);
  } else {
    InstallPackedItems(run, data, size);
  }
  return true;
}
