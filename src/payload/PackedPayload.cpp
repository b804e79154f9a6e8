#include "payload/PackedPayload.h"

#include "base/ByteReader.h"
#include "base/ContentHash.h"
#include "base/Lzma.h"
#include "payload/PayloadRun.h"
#include "payload/PayloadWriter.h"
#include "payload/PresetValues.h"

namespace {

const DWORD kLargestDictionary = 8u << 20;  // what the packer uses; a larger one is refused
const wchar_t kPackedSubject[] = L"the compressed plug-in files";
const DWORD kChunk = 65536, kPresetCapacity = 4096;
const DWORD kStreamStackBytes = 1u << 20;  // a chunk and an item on it, and the calls they make

struct TableEntry {
  ShortPath name;
  ULONGLONG size;
  ContentHash hash;
};

// A resource name, as the build writes it: printable ASCII only.
bool NextEntry(ByteReader* table, TableEntry* entry) {
  DWORD length = 0;
  ULONGLONG hash = 0;
  bool fits = table->Dword(&length) && length > 0 && length < entry->name.capacity();
  const BYTE* name = fits ? table->Bytes(length) : nullptr;
  if (!name) return false;
  wchar_t* text = entry->name.buffer();
  for (size_t i = 0; i < length; ++i) {
    if (name[i] <= ' ' || name[i] > '~') return false;
    text[i] = name[i];
  }
  text[length] = L'\0';
  bool read = table->Qword(&entry->size) && table->Qword(&hash);
  entry->hash = hash;
  return read;
}

// The item being decoded, and where its bytes go.
struct Item {
  TableEntry entry;
  ItemTarget target;
  const PresetKind* kind;
  ShortPath installName;
  NewFile file;
  SystemError error;  // of writing the file; its bytes are then decoded past
  ULONGLONG left;
  ContentHasher hasher;
  BYTE presetBytes[kPresetCapacity];  // a preset block's, as far as they go
};

void BeginItem(PayloadRun* run, Item* item) {
  SharedRunLock turn(run);
  item->left = item->entry.size;
  item->hasher = ContentHasher();
  item->error = 0;
  item->target = TargetOf(run, item->entry.name, &item->installName, &item->kind);
  if (item->target == kItemFile) {
    item->error = item->entry.size > 0xFFFFFFFFull ? ERROR_FILE_TOO_LARGE : item->file.Begin(run->folder, run->files.recorder, run->progress != nullptr);
  }
}

void PutBytes(Item* item, const BYTE* bytes, DWORD count) {
  if (item->target == kItemPreset) {
    ULONGLONG offset = item->entry.size - item->left;
    if (offset < kPresetCapacity) {
      DWORD room = static_cast<DWORD>(kPresetCapacity - offset);
      memcpy(item->presetBytes + offset, bytes, count < room ? count : room);
    }
  } else if (item->target == kItemFile && !item->error) {
    item->error = item->file.Write(bytes, count);
  }
  item->hasher.Add(bytes, count);
  item->left -= count;
}

// Once all its bytes came, checked against the table: a file goes in, presets are stored.
void FinishItem(PayloadRun* run, Item* item) {
  SharedRunLock turn(run);
  ContentHash hash = item->hasher.Finish();
  bool whole = item->left == 0 && hash == item->entry.hash;
  if (item->target == kItemFile) {
    SystemError error = item->error ? item->error : whole ? 0 : ERROR_INVALID_DATA;
    FinishFile(run, &item->file, item->installName, error, static_cast<DWORD>(item->entry.size), hash);
  } else if (item->target == kItemPreset) {
    if (whole) {
      ULONGLONG size = item->entry.size < kPresetCapacity ? item->entry.size : kPresetCapacity;
      WritePresetBlock(run, *item->kind, item->presetBytes, static_cast<DWORD>(size), item->entry.name);
    } else {
      run->failures.Record(kPresetTooShort, item->entry.name, ERROR_INVALID_DATA);
    }
  }
  item->target = kItemSkipped;
}

// Items not reached because the stream broke off: each wanted one is a failure of its own.
void RecordUnreached(PayloadRun* run, ByteReader table, ULONGLONG count) {
  SharedRunLock turn(run);
  TableEntry entry;
  ShortPath installName;
  const PresetKind* kind;
  while (count-- > 0 && NextEntry(&table, &entry)) {
    ItemTarget target = TargetOf(run, entry.name, &installName, &kind);
    if (target == kItemFile) FinishFile(run, nullptr, installName, ERROR_INVALID_DATA, 0, 0);
    if (target == kItemPreset) run->failures.Record(kPresetTooShort, entry.name, ERROR_INVALID_DATA);
  }
}

// Decodes the stream, handing each item its bytes in table order, until every item that is wanted
// has all of its bytes. What a damaged or cut stream leaves unwritten is recorded as failed.
void DecodeItems(PayloadRun* run, LzmaReader* stream, ByteReader* table, ULONGLONG count, ULONGLONG wanted) {
  BYTE chunk[kChunk];
  Item item;
  item.target = kItemSkipped;
  item.left = 0;
  ULONGLONG started = 0;
  while (wanted > 0) {
    DWORD produced = 0;
    SystemError error = ReadLzma(stream, chunk, kChunk, &produced);
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
  ByteReader entries{nullptr, 0};
  const BYTE* stream;  // follows the entries
  size_t streamBytes;
  ULONGLONG count, total, wanted, wantedBytes;
};

// Reads the header and checks the table: it must name items whose sizes add up to the stream's,
// and nothing else. False when it does not.
bool ReadPackedTable(const BYTE* data, size_t size, const PayloadRun& run, PackedTable* table) {
  ByteReader header(data, size);
  DWORD version = 0, count = 0, tableBytes = 0;
  table->count = table->total = table->wanted = table->wantedBytes = 0;
  bool read = header.Expect(setup_format::kPayloadMagic, 4) && header.Dword(&version) &&
              version == setup_format::kPayloadVersion && header.Dword(&count) && header.Dword(&tableBytes) &&
              header.Qword(&table->total) && header.left() >= kLzmaPropertiesSize &&
              tableBytes <= header.left() - kLzmaPropertiesSize;
  const BYTE* entries = read ? header.Bytes(tableBytes) : nullptr;
  table->count = count;
  table->entries = ByteReader(entries, entries ? tableBytes : 0);
  table->stream = header.position();
  table->streamBytes = header.left();
  ULONGLONG sum = 0;
  ByteReader scan = table->entries;
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
  return read && sum == table->total && scan.left() == 0;
}

// Whether the module carries the packed payload stream of this number; *data is null where it
// carries one that cannot be loaded.
bool FindStream(HMODULE module, int stream, const BYTE** data, DWORD* size) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(stream), MAKEINTRESOURCEW(kPackedResourceType));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  *size = resource ? SizeofResource(module, resource) : 0;
  *data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  return resource != nullptr;
}

}  // namespace

ULONGLONG PackedBytes(HMODULE module, const PayloadRun& run) {
  ULONGLONG bytes = 0;
  const BYTE* data;
  DWORD size;
  for (int stream = 1; stream <= setup_format::kMostPackedStreams && FindStream(module, stream, &data, &size); ++stream) {
    PackedTable table;
    if (data && ReadPackedTable(data, size, run, &table)) bytes += table.wantedBytes;
  }
  return bytes;
}

void InstallPackedItems(PayloadRun* run, const BYTE* data, size_t size) {
  PackedTable table;
  if (!ReadPackedTable(data, size, *run, &table)) {
    SharedRunLock turn(run);
    run->failures.Record(kResourceNotLoaded, kPackedSubject, ERROR_INVALID_DATA);
    return;
  }
  if (table.wanted == 0) return;
  LzmaReader stream;
  SystemError error = OpenLzma(&stream, table.stream, table.streamBytes, table.total, kLargestDictionary);
  if (error) {
    SharedRunLock turn(run);
    run->failures.Record(kResourceNotLoaded, kPackedSubject, error);
    return;
  }
  DecodeItems(run, &stream, &table.entries, table.count, table.wanted);
  CloseLzma(&stream);
}

// One stream of the module's, decoded on a thread of its own.
struct StreamJob {
  PayloadRun* run;
  const BYTE* data;
  DWORD size;
  ScopedHandle thread;
  static DWORD CALLBACK Decode(void* job) {
    StreamJob* stream = static_cast<StreamJob*>(job);
    InstallPackedItems(stream->run, stream->data, stream->size);
    return 0;
  }
};

bool InstallPackedPayload(PayloadRun* run, HMODULE module) {
  // The streams are independent: each beyond the first is decoded on a thread of its own, side by
  // side on the machine's processors, and the first on this one.
  StreamJob jobs[setup_format::kMostPackedStreams];
  int count = 0;
  while (count < setup_format::kMostPackedStreams && FindStream(module, count + 1, &jobs[count].data, &jobs[count].size)) {
    StreamJob& job = jobs[count++];
    job.run = run;
    if (!job.data || job.size == 0) {
      run->failures.Record(kResourceNotLoaded, kPackedSubject, ERROR_RESOURCE_DATA_NOT_FOUND);
      return true;
    }
  }
  if (count == 0) return false;
  for (int i = 1; i < count; ++i) {
    jobs[i].thread.reset(CreateThread(nullptr, kStreamStackBytes, StreamJob::Decode, &jobs[i],
                                      STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  }
  InstallPackedItems(run, jobs[0].data, jobs[0].size);
  for (int i = 1; i < count; ++i) {
    if (jobs[i].thread.valid()) {
      WaitForSingleObject(jobs[i].thread.get(), INFINITE);
    } else if (GoOn(run, 0)) {
      InstallPackedItems(run, jobs[i].data, jobs[i].size);  // no thread could start: in turn, here
    }
  }
  return true;
}
