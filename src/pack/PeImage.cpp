#include "pack/PeImage.h"

#include <string.h>

#include <algorithm>

#include "pack/LittleEndian.h"

namespace {

const uint32_t kResourceDirectory = 2;
const uint32_t kCertificateDirectory = 4;
const uint32_t kInitializedData = 0x40;
const uint32_t kHighBit = 0x80000000u;
const size_t kSectionEntrySize = 40;
const uint64_t kPageSize = 0x1000, kMappedFrom = 1u << 20;

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }
bool Within(uint64_t total, uint64_t offset, uint64_t size) { return offset <= total && size <= total - offset; }
bool PowerOfTwo(uint32_t value) { return value && !(value & (value - 1)); }

bool Refuse(std::string* fault, const char* why) {
  if (fault) *fault = why;
  return false;
}

struct Section {
  std::string name;
  size_t header = 0;  // offset of its entry in the section table
  uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
  uint64_t Extent() const { return virtualSize ? virtualSize : rawSize; }
  // The bytes the loader maps from the file: never past the section's extent.
  uint32_t MappedRawSize() const { return static_cast<uint32_t>(std::min<uint64_t>(rawSize, Extent())); }
};

struct PeHeaders {
  const uint8_t* bytes = nullptr;
  size_t fileHeader = 0, optionalHeader = 0, directories = 0, sectionTable = 0;
  uint32_t directoryCount = 0, fileAlignment = 0, sectionAlignment = 0, sizeOfHeaders = 0;
  std::vector<Section> sections;
  uint32_t DirectoryRva(uint32_t index) const { return Get32(bytes + directories + 8 * index); }
};

bool ParseHeaders(const std::vector<uint8_t>& image, PeHeaders* pe, std::string* fault) {
  const uint8_t* b = image.data();
  const size_t size = image.size();
  if (size < 64 || b[0] != 'M' || b[1] != 'Z') return Refuse(fault, "not an executable: no MZ header");
  const uint32_t peOffset = Get32(b + 0x3C);
  if (!Within(size, peOffset, 24) || memcmp(b + peOffset, "PE\0\0", 4) != 0) {
    return Refuse(fault, "no PE header");
  }
  pe->bytes = b;
  pe->fileHeader = peOffset + 4;
  pe->optionalHeader = peOffset + 24;
  const uint16_t sectionCount = Get16(b + pe->fileHeader + 2);
  const uint16_t optionalSize = Get16(b + pe->fileHeader + 16);
  if (optionalSize < 2 || !Within(size, pe->optionalHeader, optionalSize)) {
    return Refuse(fault, "the optional header is cut off");
  }
  const uint16_t magic = Get16(b + pe->optionalHeader);
  const size_t countField = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
  if (!countField) return Refuse(fault, "neither a PE32 nor a PE32+ image");
  if (optionalSize < countField + 4) return Refuse(fault, "the optional header is too short");
  pe->directoryCount = Get32(b + pe->optionalHeader + countField);
  pe->directories = pe->optionalHeader + countField + 4;
  if (pe->directoryCount > (optionalSize - countField - 4) / 8) {
    return Refuse(fault, "the data directories overrun the optional header");
  }
  pe->sectionAlignment = Get32(b + pe->optionalHeader + 32);
  pe->fileAlignment = Get32(b + pe->optionalHeader + 36);
  pe->sizeOfHeaders = Get32(b + pe->optionalHeader + 60);
  if (!PowerOfTwo(pe->fileAlignment) || !PowerOfTwo(pe->sectionAlignment) ||
      pe->fileAlignment > 0x10000 || pe->sectionAlignment < pe->fileAlignment) {
    return Refuse(fault, "the image's alignments are not powers of two");
  }
  pe->sectionTable = pe->optionalHeader + optionalSize;
  if (!Within(size, pe->sectionTable, kSectionEntrySize * sectionCount) ||
      pe->sizeOfHeaders > size || pe->sizeOfHeaders < pe->sectionTable + kSectionEntrySize * sectionCount) {
    return Refuse(fault, "the section table lies outside the headers");
  }
  uint64_t memoryEnd = 0;
  for (size_t i = 0; i < sectionCount; ++i) {
    Section s;
    s.header = pe->sectionTable + kSectionEntrySize * i;
    const uint8_t* entry = b + s.header;
    const char* name = reinterpret_cast<const char*>(entry);
    s.name.assign(name, std::find(name, name + 8, '\0'));
    s.virtualSize = Get32(entry + 8);
    s.virtualAddress = Get32(entry + 12);
    s.rawSize = Get32(entry + 16);
    s.rawPointer = Get32(entry + 20);
    s.characteristics = Get32(entry + 36);
    if (s.rawSize && !Within(size, s.rawPointer, s.rawSize)) return Refuse(fault, "a section's data lies past the file");
    if (s.virtualAddress < memoryEnd) return Refuse(fault, "sections overlap or are out of order");
    memoryEnd = s.virtualAddress + AlignUp(s.Extent(), pe->sectionAlignment);
    pe->sections.push_back(s);
  }
  return true;
}

// The section whose data in the file holds size bytes at rva, if one does.
const Section* MappedAt(const PeHeaders& pe, uint32_t rva, uint64_t size) {
  for (const Section& s : pe.sections) {
    if (rva >= s.virtualAddress && Within(s.MappedRawSize(), rva - s.virtualAddress, size)) return &s;
  }
  return nullptr;
}

struct TreeReader {
  const std::vector<uint8_t>& image;
  const PeHeaders& pe;
  const uint8_t* tree;  // the resource directory, up to the end of its section's data
  uint32_t treeSize;
  uint64_t entriesLeft;  // no entry is visited twice in a sound tree: sharing and loops run out
  std::vector<Resource>* resources;
  std::string* fault;

  bool Key(uint32_t field, ResourceKey* key) {
    key->id = 0;
    key->name.clear();
    if (!(field & kHighBit)) {
      if (field > 0xFFFF) return Refuse(fault, "a resource id is wider than 16 bits");
      key->id = static_cast<uint16_t>(field);
      return true;
    }
    const uint32_t at = field & ~kHighBit;
    if (!Within(treeSize, at, 2) || !Within(treeSize, at + 2, 2u * Get16(tree + at))) {
      return Refuse(fault, "a resource name lies outside the resource section");
    }
    for (uint32_t i = 0; i < Get16(tree + at); ++i) key->name += static_cast<char16_t>(Get16(tree + at + 2 + 2 * i));
    if (key->name.empty()) return Refuse(fault, "a resource name is empty");
    return true;
  }

  // level 0: types, 1: names, 2: languages, whose entries are the data entries.
  bool Directory(uint32_t offset, int level, Resource* path) {
    if (!Within(treeSize, offset, 16)) return Refuse(fault, "a resource directory lies outside the resource section");
    const uint32_t count = Get16(tree + offset + 12) + Get16(tree + offset + 14);
    if (!Within(treeSize, offset + 16, 8ull * count)) return Refuse(fault, "a resource directory runs past its section");
    for (uint32_t i = 0; i < count; ++i) {
      if (entriesLeft-- == 0) return Refuse(fault, "the resource tree refers to its entries more than once");
      const uint8_t* entry = tree + offset + 16 + 8 * i;
      const uint32_t target = Get32(entry + 4);
      ResourceKey key;
      if (!Key(Get32(entry), &key)) return false;
      if (level < 2) {
        if (!(target & kHighBit)) return Refuse(fault, "the resource tree has fewer than three levels");
        (level == 0 ? path->type : path->name) = key;
        if (!Directory(target & ~kHighBit, level + 1, path)) return false;
        continue;
      }
      if (target & kHighBit) return Refuse(fault, "the resource tree is nested deeper than three levels");
      if (!key.name.empty()) return Refuse(fault, "a resource language is given by name");
      if (!Within(treeSize, target, 16)) return Refuse(fault, "a resource data entry lies outside the resource section");
      const uint32_t rva = Get32(tree + target), size = Get32(tree + target + 4);
      const Section* data = MappedAt(pe, rva, size);
      if (!data) return Refuse(fault, "a resource's data lies outside the file");
      path->language = key.id;
      path->data = image.data() + data->rawPointer + (rva - data->virtualAddress);
      path->size = size;
      resources->push_back(*path);
    }
    return true;
  }
};

// One resource as stored: names upper-case, ids only where there is no name.
struct Leaf {
  ResourceKey type, name;
  uint16_t language;
  const Resource* resource;
};

ResourceKey Stored(const ResourceKey& key) {
  ResourceKey stored;
  if (key.name.empty()) stored.id = key.id;
  stored.name = key.name;
  for (char16_t& c : stored.name) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return stored;
}

// Named entries first, by their UTF-16 units, then ids ascending: the order the loader searches in.
bool KeyLess(const ResourceKey& a, const ResourceKey& b) {
  if (a.name.empty() != b.name.empty()) return !a.name.empty();
  return a.name.empty() ? a.id < b.id : a.name < b.name;
}
bool SameKey(const ResourceKey& a, const ResourceKey& b) { return a.id == b.id && a.name == b.name; }
bool LeafLess(const Leaf& a, const Leaf& b) {
  if (!SameKey(a.type, b.type)) return KeyLess(a.type, b.type);
  if (!SameKey(a.name, b.name)) return KeyLess(a.name, b.name);
  return a.language < b.language;
}
uint64_t StoredNameSize(const ResourceKey& key) { return key.name.empty() ? 0 : 2 + 2 * key.name.size(); }

// The resource section as the linker lays it out: the directory tables depth first, the data
// entries, the names (each where its entry is met), then each resource's data 8-byte aligned.
struct ResourceSection {
  std::vector<Leaf> leaves;       // sorted: the order of the data entries
  std::vector<uint64_t> offsets;  // of each leaf's data
  std::vector<uint8_t> head;      // tables, data entries and names
  uint64_t size = 0;
  uint32_t rva = 0, nextTable = 0, dataEntries = 0, nextName = 0;

  bool LayOut(const std::vector<Resource>& resources, uint32_t sectionRva, std::string* fault) {
    for (const Resource& r : resources) {
      if (r.size > 0xFFFFFFFFu) return Refuse(fault, "a resource is larger than 4 GB");
      if (r.size && !r.data) return Refuse(fault, "a resource has no data");
      if (r.type.name.size() > 0xFFFF || r.name.name.size() > 0xFFFF) return Refuse(fault, "a resource name is too long");
      leaves.push_back({Stored(r.type), Stored(r.name), r.language, &r});
    }
    // Fewer than 64K leaves keep every directory's count within its 16 bits.
    if (leaves.size() > 0xFFFF) return Refuse(fault, "too many resources");
    std::sort(leaves.begin(), leaves.end(), LeafLess);
    uint64_t directories = 1, strings = 0;
    for (size_t i = 0; i < leaves.size(); ++i) {
      const bool newType = i == 0 || !SameKey(leaves[i].type, leaves[i - 1].type);
      const bool newName = newType || !SameKey(leaves[i].name, leaves[i - 1].name);
      if (!newName && leaves[i].language == leaves[i - 1].language) {
        return Refuse(fault, "two resources have the same type, name and language");
      }
      directories += newType + newName;
      strings += (newType ? StoredNameSize(leaves[i].type) : 0) + (newName ? StoredNameSize(leaves[i].name) : 0);
    }
    // Every directory but the root is named by one entry, every leaf by one more.
    dataEntries = static_cast<uint32_t>(16 * directories + 8 * (directories - 1 + leaves.size()));
    nextName = dataEntries + static_cast<uint32_t>(16 * leaves.size());
    if (nextName + strings > (64u << 20)) return Refuse(fault, "the resource directory would exceed 64 MB");
    head.assign(nextName + strings, 0);
    size = head.size();
    for (const Leaf& leaf : leaves) {
      offsets.push_back(AlignUp(size, 8));
      size = offsets.back() + leaf.resource->size;
      if (size > 0xFFFFFFFFu) return Refuse(fault, "the resources exceed 4 GB");
    }
    rva = sectionRva;
    Directory(0, leaves.size(), 0);
    return true;
  }

  // The first leaf after leaf's entry at level: past all leaves of its type (0), of its name (1).
  size_t Next(size_t leaf, int level) const {
    size_t end = leaf + 1;
    while (level < 2 && end < leaves.size() && SameKey(leaves[end].type, leaves[leaf].type) &&
           (level == 0 || SameKey(leaves[end].name, leaves[leaf].name))) {
      ++end;
    }
    return end;
  }

  // The directory of leaves [begin, end) at level 0 (types), 1 (names) or 2 (languages).
  uint32_t Directory(size_t begin, size_t end, int level) {
    const uint32_t at = nextTable;
    uint32_t named = 0, ids = 0;
    for (size_t i = begin; i < end; i = Next(i, level)) {
      (level < 2 && !(level == 0 ? leaves[i].type : leaves[i].name).name.empty() ? named : ids)++;
    }
    Set16(&head[at + 12], named);
    Set16(&head[at + 14], ids);
    nextTable += 16 + 8 * (named + ids);
    uint8_t* entry = head.data() + at + 16;
    for (size_t i = begin; i < end; i = Next(i, level), entry += 8) {
      if (level == 2) {
        uint8_t* data = &head[dataEntries + 16 * i];
        Set32(entry, leaves[i].language);
        Set32(entry + 4, static_cast<uint32_t>(data - head.data()));
        Set32(data, static_cast<uint32_t>(rva + offsets[i]));
        Set32(data + 4, static_cast<uint32_t>(leaves[i].resource->size));
        continue;
      }
      const ResourceKey& key = level == 0 ? leaves[i].type : leaves[i].name;
      Set32(entry, key.name.empty() ? key.id : kHighBit | nextName);
      if (!key.name.empty()) {
        Set16(&head[nextName], static_cast<uint32_t>(key.name.size()));
        for (char16_t c : key.name) Set16(&head[nextName += 2], c);
        nextName += 2;
      }
      Set32(entry + 4, kHighBit | Directory(i, Next(i, level), level + 1));
    }
    return at;
  }
};

// Writes the output and sums it as it goes, for the PE checksum: 16-bit little-endian words,
// carries folded in at the end, plus the file's length.
class ChecksumWriter {
 public:
  explicit ChecksumWriter(FILE* out) : out_(out) {}
  void Write(const uint8_t* bytes, uint64_t size) {
    if (size && fwrite(bytes, 1, static_cast<size_t>(size), out_) != size) failed_ = true;
    uint64_t i = 0;
    if (size && (length_ & 1)) sum_ += static_cast<uint64_t>(bytes[i++]) << 8;
    for (; i + 1 < size; i += 2) sum_ += bytes[i] | bytes[i + 1] << 8;
    if (i < size) sum_ += bytes[i];
    length_ += size;
  }
  void Zeros(uint64_t size) {
    static const uint8_t zeros[4096] = {};
    for (; size > sizeof zeros; size -= sizeof zeros) Write(zeros, sizeof zeros);
    Write(zeros, size);
  }
  uint64_t length() const { return length_; }
  bool failed() const { return failed_; }
  uint32_t Checksum() const {
    uint64_t sum = sum_;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + length_);
  }

 private:
  FILE* out_;
  uint64_t sum_ = 0, length_ = 0;
  bool failed_ = false;
};

}  // namespace

bool ReadResources(const std::vector<uint8_t>& image, std::vector<Resource>* resources, std::string* fault) {
  resources->clear();
  PeHeaders pe;
  if (!ParseHeaders(image, &pe, fault)) return false;
  if (pe.directoryCount <= kResourceDirectory || !pe.DirectoryRva(kResourceDirectory)) return true;
  const uint32_t rva = pe.DirectoryRva(kResourceDirectory);
  const Section* s = MappedAt(pe, rva, 16);
  if (!s) return Refuse(fault, "the resource directory lies outside the file");
  const uint32_t offset = rva - s->virtualAddress;
  TreeReader reader{image, pe, image.data() + s->rawPointer + offset, s->MappedRawSize() - offset, 0, resources, fault};
  reader.entriesLeft = reader.treeSize / 8;
  Resource path;
  return reader.Directory(0, 0, &path);
}

bool WriteWithResources(const std::vector<uint8_t>& stub, const std::vector<Resource>& resources, FILE* out,
                        std::string* fault) {
  PeHeaders pe;
  if (!ParseHeaders(stub, &pe, fault)) return false;
  if (pe.directoryCount <= kResourceDirectory) return Refuse(fault, "the stub has no resource directory entry");
  // The sections before .rsrc keep their place. A .reloc after it holds addresses of the others only, so
  // it moves down into the room; the new .rsrc comes last.
  const std::vector<Section>& old = pe.sections;
  size_t kept = 0;
  while (kept < old.size() && old[kept].name != ".rsrc") ++kept;
  std::vector<Section> sections(old.begin(), old.begin() + kept);
  uint64_t fileEnd = AlignUp(pe.sizeOfHeaders, pe.fileAlignment);
  uint64_t memoryEnd = AlignUp(pe.sizeOfHeaders, pe.sectionAlignment);
  for (const Section& s : sections) {
    if (s.rawSize && s.rawPointer < pe.sizeOfHeaders) return Refuse(fault, "a section overlaps the headers");
    if (s.rawSize) fileEnd = std::max(fileEnd, AlignUp(s.rawPointer + uint64_t{s.rawSize}, pe.fileAlignment));
    memoryEnd = std::max(memoryEnd, s.virtualAddress + AlignUp(s.Extent(), pe.sectionAlignment));
  }
  const uint64_t keptFileEnd = fileEnd;
  auto append = [&](Section s) {
    s.virtualAddress = static_cast<uint32_t>(memoryEnd);
    s.rawPointer = s.rawSize ? static_cast<uint32_t>(fileEnd) : 0;
    fileEnd += AlignUp(s.rawSize, pe.fileAlignment);
    memoryEnd += AlignUp(s.Extent(), pe.sectionAlignment);
    sections.push_back(s);
  };
  for (size_t i = kept + 1; i < old.size(); ++i) {
    if (old[i].name != ".reloc") return Refuse(fault, "a section other than .reloc follows the stub's .rsrc");
    append(old[i]);
  }
  ResourceSection rsrc;
  if (memoryEnd > 0xFFFFFFFFu) return Refuse(fault, "the image would exceed 4 GB");
  if (!rsrc.LayOut(resources, static_cast<uint32_t>(memoryEnd), fault)) return false;
  Section added;  // header 0: an entry of its own, unless the stub's .rsrc lends its
  added.characteristics = 0x40000040;  // initialized data, readable
  if (kept < old.size()) added = old[kept];
  added.virtualSize = static_cast<uint32_t>(rsrc.size);
  added.rawSize = static_cast<uint32_t>(AlignUp(rsrc.size, pe.fileAlignment));
  // At a page boundary in the file the loader can map large resources (a payload) as they lie, page by
  // page when read; elsewhere Wine reads the whole section into memory before the setup starts. Small
  // ones are read at once anyway, and the padding would only make the download larger.
  if (rsrc.size >= kMappedFrom) fileEnd = AlignUp(fileEnd, kPageSize);
  append(added);
  const Section placed = sections.back();
  if (memoryEnd > 0xFFFFFFFFu || fileEnd > 0xFFFFFFFFu) return Refuse(fault, "the image would exceed 4 GB");
  const size_t tableEnd = pe.sectionTable + kSectionEntrySize * old.size();
  if (sections.size() > old.size() &&
      (tableEnd + kSectionEntrySize > pe.sizeOfHeaders ||
       std::count(&stub[tableEnd], &stub[tableEnd] + kSectionEntrySize, 0) != kSectionEntrySize)) {
    return Refuse(fault, "the stub's headers have no room for another section");
  }

  std::vector<uint8_t> headers(stub.begin(), stub.begin() + pe.sizeOfHeaders);
  const size_t optional = pe.optionalHeader;
  Set16(&headers[pe.fileHeader + 2], static_cast<uint32_t>(sections.size()));
  Set32(&headers[pe.fileHeader + 8], 0);  // a symbol table lay past the sections: it goes
  Set32(&headers[pe.fileHeader + 12], 0);
  uint64_t initializedData = 0;
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& s = sections[i];
    uint8_t* entry = &headers[pe.sectionTable + kSectionEntrySize * i];
    if (s.header) memcpy(entry, &stub[s.header], kSectionEntrySize);
    if (!s.header) memcpy(entry, ".rsrc\0\0\0", 8);
    Set32(entry + 8, s.virtualSize);
    Set32(entry + 12, s.virtualAddress);
    Set32(entry + 16, s.rawSize);
    Set32(entry + 20, s.rawPointer);
    Set32(entry + 36, s.characteristics);
    if (s.characteristics & kInitializedData) initializedData += AlignUp(s.rawSize, pe.fileAlignment);
  }
  Set32(&headers[optional + 8], static_cast<uint32_t>(initializedData));
  Set32(&headers[optional + 56], static_cast<uint32_t>(memoryEnd));
  Set32(&headers[optional + 64], 0);  // the checksum, summed as zero
  for (uint32_t index = 0; index < pe.directoryCount; ++index) {
    uint8_t* directory = &headers[pe.directories + 8 * index];
    const uint32_t rva = Get32(directory);
    if (index == kResourceDirectory || index == kCertificateDirectory) {
      // The certificate signed the stub as it was: it no longer matches.
      Set32(directory, index == kResourceDirectory ? placed.virtualAddress : 0);
      Set32(directory + 4, index == kResourceDirectory ? placed.virtualSize : 0);
      continue;
    }
    for (size_t i = kept; i < old.size() && rva; ++i) {
      if (rva < old[i].virtualAddress || rva - old[i].virtualAddress >= old[i].Extent()) continue;
      if (i == kept) return Refuse(fault, "a data directory of the stub points into its resources");
      Set32(directory, rva - old[i].virtualAddress + sections[i - 1].virtualAddress);
      break;
    }
  }

  // Streamed section by section and resource by resource: the payload is never copied.
  if (ftell(out) != 0) return Refuse(fault, "the output is not a new file");
  ChecksumWriter writer(out);
  writer.Write(headers.data(), headers.size());
  const uint64_t copied = std::min<uint64_t>(keptFileEnd, stub.size());
  writer.Write(stub.data() + headers.size(), copied - headers.size());
  writer.Zeros(keptFileEnd - copied);
  for (size_t i = kept + 1; i < old.size(); ++i) {
    writer.Write(stub.data() + old[i].rawPointer, old[i].rawSize);
    writer.Zeros(AlignUp(old[i].rawSize, pe.fileAlignment) - old[i].rawSize);
  }
  writer.Zeros(placed.rawPointer - writer.length());
  writer.Write(rsrc.head.data(), rsrc.head.size());
  for (size_t i = 0; i < rsrc.leaves.size(); ++i) {
    writer.Zeros(placed.rawPointer + rsrc.offsets[i] - writer.length());
    writer.Write(rsrc.leaves[i].resource->data, rsrc.leaves[i].resource->size);
  }
  writer.Zeros(fileEnd - writer.length());
  uint8_t checksum[4];
  Set32(checksum, writer.Checksum());
  if (writer.failed() || fseek(out, static_cast<long>(optional + 64), SEEK_SET) != 0 ||
      fwrite(checksum, 1, 4, out) != 4 || fseek(out, 0, SEEK_END) != 0 || fflush(out) != 0) {
    return Refuse(fault, "the output cannot be written");
  }
  return true;
}
