#include "pack/SetupPacker.h"

#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "format/ContentHash.h"
#include "format/InstallNameRule.h"
#include "format/PresetKinds.h"
#include "format/SetupFormat.h"
#include "pack/ComponentCheck.h"
#include "pack/Description.h"
#include "pack/HostFiles.h"
#include "pack/HostThreads.h"
#include "pack/IconResources.h"
#include "pack/LanguageTexts.h"
#include "pack/LittleEndian.h"
#include "pack/LzmaPacking.h"
#include "pack/MakerBlock.h"
#include "pack/PeImage.h"
#include "pack/PictureCheck.h"
#include "pack/Signing.h"
#include "pack/VersionResource.h"
#include "pack/WingetManifests.h"

namespace {
namespace sf = setup_format;

const size_t kSample = 4 << 20;  // what tells whether a large item compresses
const uint16_t kStringType = 6, kVersionType = 16;

struct PresetKindName {
  const char *kind, *keyword;
  int records, recordSize;
};
const PresetKindName kPresetKinds[] = {
#define SETUP_PRESET_KIND(kind, keyword, subkey, prefix, count, size) {kind, keyword, count, size},
    SETUP_PRESET_KINDS(SETUP_PRESET_KIND)
#undef SETUP_PRESET_KIND
};

// A payload item: a file of the description under the name the setup stores it by.
struct Item {
  std::string path, stored;
  uint64_t size = 0;
  Place where;
  bool packed = false;
  std::vector<uint8_t> bytes;  // a stored item's, read for the writing
};

// A block as the setup unpacks it: u32 bytes when decoded, then the stream.
bool PackBlock(const std::vector<uint8_t>& bytes, bool utf16, std::vector<uint8_t>* out) {
  out->clear();
  PutNumber(out, bytes.size(), 4);
  return CompressBytes(bytes.data(), bytes.size(), utf16, out);
}

// Whether the stub is a 64-bit program (its optional header's magic), for the manifests.
bool IsPe32Plus(const std::vector<uint8_t>& image) {
  if (image.size() < 0x40) return false;
  size_t header = image[0x3C] | image[0x3D] << 8 | image[0x3E] << 16 | static_cast<size_t>(image[0x3F]) << 24;
  return header < image.size() - 26 && image[header + 24] == 0x0B && image[header + 25] == 0x02;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

std::string Ascii(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// The items' bytes one after another, as the encoder reads them, each hashed on the way and held
// to the size it had when it was checked.
class ItemSource : public ByteSource {
 public:
  explicit ItemSource(std::vector<Item*> items) : items_(std::move(items)) {}
  bool Read(uint8_t* out, size_t* size) override {
    size_t wanted = *size;
    *size = 0;
    while (next_ <= items_.size()) {
      if (!file_.valid()) {
        if (next_ == items_.size()) return true;
        file_ = OpenFileForReading(items_[next_]->path);
        if (!file_.valid()) return Fail(items_[next_]->path + ": cannot be read");
        left_ = items_[next_]->size;
        hasher_ = sf::ContentHasher();
      }
      size_t taken = wanted < left_ ? wanted : static_cast<size_t>(left_);
      if (taken && fread(out, 1, taken, file_.get()) != taken) {
        return Fail(items_[next_]->path + ": changed while it was packed");
      }
      hasher_.Add(out, taken);
      left_ -= taken;
      if (left_ == 0) {
        if (fgetc(file_.get()) != EOF) return Fail(items_[next_]->path + ": changed while it was packed");
        hashes.push_back(hasher_.Finish());
        file_.reset();
        ++next_;
      }
      if (taken) {
        *size = taken;
        return true;
      }
    }
    return true;
  }
  std::vector<sf::ContentHash> hashes;
  std::string fault;

 private:
  bool Fail(const std::string& what) {
    fault = what;
    return false;
  }
  std::vector<Item*> items_;
  size_t next_ = 0;
  ScopedFile file_;
  uint64_t left_ = 0;
  sf::ContentHasher hasher_;
};

// What the packer writes, collected before anything is written.
class SetupBuilder {
 public:
  SetupBuilder(const Description& description, Refusals* refusals) : description_(description), refusals_(refusals) {}

  bool ReadStub(const std::string& path) {
    std::string reason;
    if (!ReadWholeFile(path, &stub_, &reason)) return StubFault(path, "cannot be read: " + reason);
    std::string fault;
    if (!ReadResources(stub_, &stubResources_, &fault)) return StubFault(path, "is no setup stub: " + fault);
    bool format = false;
    for (const Resource& resource : stubResources_) {
      std::string name = Ascii(resource.name.name);
      if (resource.type.id == sf::kStubFormatType) {
        format = std::string(reinterpret_cast<const char*>(resource.data), resource.size) ==
                 std::to_string(sf::kStubFormatVersion);
      } else if (resource.type.id == sf::kLanguageFileType && name == "TERMS.TXT") {
        terms_.assign(reinterpret_cast<const char*>(resource.data), resource.size);
      } else if (resource.type.id == sf::kLanguageFileType) {
        languages_.push_back({Lower(name), std::string(reinterpret_cast<const char*>(resource.data), resource.size)});
      } else if (resource.type.id == sf::kDefaultPictureType) {
        defaultPictures_.push_back({Lower(name), resource.data, resource.size});
      } else {
        kept_.push_back(resource);  // the dialog and the manifest
      }
      if (resource.type.name.empty() && resource.type.id == 5 /* RT_DIALOG */) language_ = resource.language;
    }
    if (!format) return StubFault(path, "is a stub of another version of the packer");
    return true;
  }

  void CheckPayload() {
    std::vector<ComponentEntry> components;
    for (const DescribedComponent& component : description_.components) {
      components.push_back({component.keyword.text, component.caption.text, component.status.text, component.keyword.where});
    }
    std::vector<PayloadEntry> entries;
    for (const DescribedFile& file : description_.files) {
      entries.push_back({file.installedName, file.component, file.where});
      AddItem(file.path, file.installedName, file.where);
      // The setup writes an item whose name holds a preset kind's word into the registry.
      for (const PresetKindName& kind : kPresetKinds) {
        if (Lower(file.installedName).find(Lower(kind.keyword)) != std::string::npos) {
          refusals_->Add(file.where, "'" + file.installedName + "' holds '" + kind.keyword +
                                         "', which makes the setup write it into the registry as a preset block: "
                                         "give it in [[preset]], or another name");
        }
      }
    }
    for (const DescribedPreset& preset : description_.presets) {
      const PresetKindName* kind = nullptr;
      for (const PresetKindName& known : kPresetKinds) kind = preset.kind == known.kind ? &known : kind;
      if (!kind) {
        std::string kinds;
        for (const PresetKindName& known : kPresetKinds) kinds += std::string(kinds.empty() ? "" : ", ") + known.kind;
        refusals_->Add(preset.where, "'" + preset.kind + "' is no kind of preset block (" + kinds + ")");
        continue;
      }
      entries.push_back({kind->keyword, "", preset.where});
      Item* item = AddItem(preset.path, kind->keyword, preset.where);
      uint64_t needed = static_cast<uint64_t>(kind->records) * static_cast<uint64_t>(kind->recordSize);
      if (item && item->size < needed) {
        refusals_->Add(preset.where, preset.path + " holds " + std::to_string(item->size) + " bytes, fewer than the " +
                                         std::to_string(kind->records) + " records of " + std::to_string(kind->recordSize) +
                                         " bytes of a '" + preset.kind + "' block");
      }
    }
    CheckComponents(components, entries, refusals_);
    uint64_t total = 0;
    for (const Item& item : items_) {
      total += item.size;
      if (total > sf::kLargestPayload) {
        refusals_->Add(item.where, "the payload is larger than the 32-bit setup can install: more than " +
                                       std::to_string(sf::kLargestPayload) + " bytes (1.5 GB) with " + item.path);
        break;
      }
    }
    payloadSize_ = total;
  }

  bool BuildTexts() {
    TextsRequest request;
    request.languages = languages_;
    request.languagesOrigin = "stub";
    request.terms = terms_;
    request.maker = description_.maker[kMakerMakerName].text;
    request.product = description_.maker[kMakerProductName].text;
    request.allLanguages = description_.allLanguages;
    request.carried = description_.languages;
    request.carriedWhere = description_.languagesWhere;
    for (const DescribedComponent& component : description_.components) {
      ComponentLanguages languages;
      languages.keyword = component.keyword.text;
      for (const DescribedLanguageTexts& texts : component.texts) {
        languages.texts.push_back({texts.tag, texts.caption, texts.status, texts.where});
      }
      request.components.push_back(languages);
    }
    std::vector<uint8_t> block;
    std::vector<std::string> tags;
    if (!BuildTextsBlock(request, &block, &tags, refusals_)) return false;
    return Owned(sf::kBlockType, sf::kTextsBlock, &block, kTextBlock);
  }

  // The maker's pictures where given, the stub's for the rest; a maker's picture at 100 % goes
  // without the stub's at other scales, which would not match it.
  bool BuildPictures() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> own;
    for (const DescribedPicture& picture : description_.pictures) {
      if (!IsPictureName(picture.name)) {
        std::string names;
        for (const std::string& name : PictureNames()) names += (names.empty() ? "" : ", ") + name;
        refusals_->Add(picture.where, picture.path + " names no picture of the setup; the pictures are " + names);
        continue;
      }
      std::vector<uint8_t> bytes;
      std::string reason;
      if (!ReadWholeFile(picture.path, &bytes, &reason)) {
        refusals_->Add(picture.where, picture.name + " (" + picture.path + ") cannot be read: " + reason);
        continue;
      }
      std::string fault = PictureFault(picture.name, bytes);
      if (!fault.empty()) refusals_->Add(picture.where, picture.name + " (" + picture.path + ") " + fault);
      own.push_back({picture.name, std::move(bytes)});
    }
    auto find = [&](const std::string& name, const uint8_t** data, size_t* size) {
      for (const auto& picture : own) {
        if (picture.first == name) {
          *data = picture.second.data();
          *size = picture.second.size();
          return true;
        }
      }
      std::string stem = name.substr(0, name.find('-')) + ".bmp";
      bool ownAtOtherScale = name != stem && std::any_of(own.begin(), own.end(), [&](const auto& p) { return p.first == stem; });
      for (const DefaultPicture& picture : defaultPictures_) {
        if (picture.name == name && !ownAtOtherScale) {
          *data = picture.data;
          *size = picture.size;
          return true;
        }
      }
      return false;
    };
    if (!refusals_->empty()) return false;
    // Each picture at 100 %, then at 150 % and 200 % (ids + 1000, + 2000): a window at 100 % decodes
    // no further than its own pictures.
    static const struct {
      uint16_t id;
      const char* stem;
    } kPictures[] = {{sf::kBackgroundPicture, "background"}, {sf::kTogglePicture, "toggle"}, {sf::kExitPicture, "exit"},
                     {sf::kBannerPicture, "banner"}, {sf::kBeginPicture, "begin"}, {sf::kFinishPicture, "finish"}};
    std::vector<uint8_t> table, joined;
    uint32_t count = 0;
    for (int scale = 0; scale < 3; ++scale) {
      for (const auto& picture : kPictures) {
        std::string name = std::string(picture.stem) + (scale == 0 ? "" : scale == 1 ? "-150" : "-200") + ".bmp";
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!find(name, &data, &size)) continue;
        if (size < 14) return StubFault("stub", name + " is no Windows bitmap");
        PutNumber(&table, picture.id + sf::kScaleStep * static_cast<unsigned>(scale), 4);
        PutNumber(&table, size - 14, 4);
        joined.insert(joined.end(), data + 14, data + size);
        ++count;
      }
    }
    std::vector<uint8_t> block;
    PutNumber(&block, count, 4);
    block.insert(block.end(), table.begin(), table.end());
    if (!CompressBytes(joined.data(), joined.size(), false, &block)) return OutOfMemory();
    Owned(sf::kPicturesType, 1, &block, kAsIs);
    for (bool cursor : {true, false}) {
      const uint8_t* data = nullptr;
      size_t size = 0;
      if (!find(cursor ? "hand.cur" : "app.ico", &data, &size)) continue;
      std::vector<OwnedResource> images;
      std::string fault;
      if (!IconResources(std::vector<uint8_t>(data, data + size), cursor, cursor ? sf::kHandCursorId : sf::kIconGroupId, 1,
                         &images, &fault)) {
        return StubFault(cursor ? "hand.cur" : "app.ico", fault);
      }
      for (OwnedResource& image : images) Owned(image.type, image.id, &image.bytes, kAsIs);
    }
    return true;
  }

  // The components' keywords, captions and status texts as a string table: 16 strings a block.
  void BuildComponentStrings() {
    std::vector<std::pair<uint16_t, std::u16string>> strings;
    for (size_t i = 0; i < description_.components.size(); ++i) {
      const DescribedComponent& component = description_.components[i];
      uint16_t id = static_cast<uint16_t>(sf::kComponentStringBase + 3 * i);
      strings.push_back({id, Utf16(component.keyword.text)});
      strings.push_back({static_cast<uint16_t>(id + 1), Utf16(component.caption.text)});
      strings.push_back({static_cast<uint16_t>(id + 2), Utf16(component.status.text)});
    }
    for (size_t first = 0; first < strings.size();) {
      uint16_t block = static_cast<uint16_t>(strings[first].first / 16);
      std::vector<uint8_t> bytes;
      for (int slot = 0; slot < 16; ++slot) {
        const std::u16string* text = nullptr;
        for (const auto& string : strings) text = string.first == block * 16 + slot ? &string.second : text;
        PutNumber(&bytes, text ? text->size() : 0, 2);
        if (text) {
          for (char16_t unit : *text) PutNumber(&bytes, unit, 2);
        }
      }
      Owned(kStringType, static_cast<uint16_t>(block + 1), &bytes, kAsIs);
      while (first < strings.size() && strings[first].first / 16 == block) ++first;
    }
  }

  bool BuildMakerAndVersion() {
    std::vector<uint8_t> maker = MakerBlock(description_);
    if (!Owned(sf::kBlockType, sf::kMakerBlock, &maker, kTextBlock)) return false;
    const std::string& version = description_.maker[kMakerVersion].text;
    std::vector<VersionString> strings = {{"CompanyName", description_.maker[kMakerMakerName].text},
                                          {"FileDescription", description_.setupDescription.text},
                                          {"FileVersion", version},
                                          {"LegalCopyright", description_.copyright.text},
                                          {"OriginalFilename", description_.setupFileName.text},
                                          {"ProductName", description_.maker[kMakerProductName].text},
                                          {"ProductVersion", version}};
    std::vector<uint8_t> bytes;
    std::string fault;
    if (!VersionResource(version, strings, &bytes, &fault)) {
      refusals_->Add(description_.maker[kMakerVersion].where, fault);
      return false;
    }
    Owned(kVersionType, 1, &bytes, kAsIs);
    return true;
  }

  // Each item alone decides whether it is compressed: one that LZMA's fast mode does not shrink by
  // 5 % is stored as it is. A large one is judged by its first megabytes first: one that does not
  // compress (a model, a texture) is found so in a moment, not after minutes of compressing the whole.
  bool BuildPayload(std::string* summary) {
    std::vector<Item*> packed;
    for (Item& item : items_) {
      ScopedFile file = OpenFileForReading(item.path);
      size_t sample = static_cast<size_t>(std::min<uint64_t>(item.size, kSample));
      std::vector<uint8_t> head(sample);
      bool read = file.valid() && (sample == 0 || fread(head.data(), 1, sample, file.get()) == sample);
      file.reset();
      if (!read) return FileFault(item, "cannot be read");
      item.packed = sample > 0 && QuickCompressedSize(head.data(), sample) * 100 <= sample * 95;
      if (item.packed && sample < item.size) {
        ItemSource whole({&item});
        item.packed = QuickCompressedSize(&whole, item.size) * 100 <= item.size * 95;
      }
      if (item.packed) {
        packed.push_back(&item);
        continue;
      }
      std::string reason;
      if (!ReadWholeFile(item.path, &item.bytes, &reason) || item.bytes.size() != item.size) return FileFault(item, "cannot be read");
      Add(sf::kPayloadType, 0, Utf16(item.stored), item.bytes.data(), item.bytes.size());
    }
    std::string counts = std::to_string(packed.size()) + " of " + std::to_string(items_.size()) + " items packed";
    if (packed.empty()) {
      *summary = "payload: " + counts;
      return true;
    }
    // Streams of their own, compressed side by side; which items go in which depends on the
    // payload alone, so that every machine makes the same setup.
    std::vector<std::vector<Item*>> parts = SplitIntoStreams(packed);
    std::vector<std::string> faults(parts.size());
    std::vector<std::function<void()>> jobs;
    for (size_t i = 0; i < parts.size(); ++i) {
      payloads_.emplace_back(new std::vector<uint8_t>);
      jobs.push_back([&, i] { PackStream(parts[i], payloads_[i].get(), &faults[i]); });
    }
    RunSideBySide(jobs, ProcessorCount());
    uint64_t total = 0, compressed = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
      if (!faults[i].empty()) {
        refusals_->Add({}, faults[i]);
        return false;
      }
      for (const Item* item : parts[i]) total += item->size;
      compressed += payloads_[i]->size();
      Add(sf::kPackedPayloadType, static_cast<uint16_t>(i + 1), {}, payloads_[i]->data(), payloads_[i]->size());
    }
    *summary = "payload: " + counts + ", " + std::to_string(total) + " bytes into " + std::to_string(compressed) +
               " in " + std::to_string(parts.size()) + (parts.size() == 1 ? " stream" : " streams");
    return true;
  }

  // The packed items in their order, in streams of up to a dictionary each where there are enough
  // of them: the encoder looks no further back than that in one stream either.
  static std::vector<std::vector<Item*>> SplitIntoStreams(const std::vector<Item*>& packed) {
    uint64_t total = 0;
    for (const Item* item : packed) total += item->size;
    const uint64_t dictionaries = (total + sf::kLargestDictionary - 1) / sf::kLargestDictionary;
    const uint64_t count = std::min<uint64_t>(sf::kMostPackedStreams, std::max<uint64_t>(1, dictionaries));
    std::vector<std::vector<Item*>> parts(1);
    uint64_t sum = 0;
    for (Item* item : packed) {
      if (!parts.back().empty() && sum >= total * parts.size() / count) parts.emplace_back();
      parts.back().push_back(item);
      sum += item->size;
    }
    return parts;
  }

  // One stream: its header, its table and the items compressed. fault says why when it fails.
  static void PackStream(const std::vector<Item*>& items, std::vector<uint8_t>* stream, std::string* fault) {
    uint64_t total = 0;
    size_t tableBytes = 0;
    for (const Item* item : items) {
      total += item->size;
      tableBytes += 4 + item->stored.size() + 16;
    }
    stream->assign(sf::kPayloadMagic, sf::kPayloadMagic + 4);
    PutNumber(stream, sf::kPayloadVersion, 4);
    PutNumber(stream, items.size(), 4);
    PutNumber(stream, tableBytes, 4);
    PutNumber(stream, total, 8);
    const size_t tableAt = stream->size();
    stream->resize(tableAt + tableBytes);  // filled in once the hashes are known
    ItemSource source(items);
    if (!Compress(&source, total, false, stream)) {
      *fault = source.fault.empty() ? "out of memory while compressing the payload" : source.fault;
      return;
    }
    std::vector<uint8_t> table;
    for (size_t i = 0; i < items.size(); ++i) {
      PutNumber(&table, items[i]->stored.size(), 4);
      table.insert(table.end(), items[i]->stored.begin(), items[i]->stored.end());
      PutNumber(&table, items[i]->size, 8);
      PutNumber(&table, source.hashes[i], 8);
    }
    std::copy(table.begin(), table.end(), stream->begin() + static_cast<std::ptrdiff_t>(tableAt));
  }

  // The setup without its payload, which a setup whose payload outweighs it keeps as its
  // uninstaller: the stub with everything but the payload.
  std::vector<Resource> WithoutPayload() const {
    std::vector<Resource> all = kept_;
    for (const Resource& resource : resources_) {
      if (resource.type.id != sf::kPayloadType && resource.type.id != sf::kPackedPayloadType) all.push_back(resource);
    }
    return all;
  }

  std::vector<Resource> All() const {
    std::vector<Resource> all = kept_;
    all.insert(all.end(), resources_.begin(), resources_.end());
    return all;
  }

  // Only where the payload is the larger: the uninstaller is then the smaller file to keep.
  bool AddUninstaller(std::vector<uint8_t>* withoutPayload) {
    return payloadSize_ <= withoutPayload->size() || Owned(sf::kBlockType, sf::kUninstallerBlock, withoutPayload, kBlock);
  }

  const std::vector<uint8_t>& stub() const { return stub_; }
  bool isWide() const { return IsPe32Plus(stub_); }

 private:
  enum Packing { kAsIs, kBlock, kTextBlock };
  struct DefaultPicture {
    std::string name;
    const uint8_t* data;
    size_t size;
  };

  Item* AddItem(const std::string& path, const std::string& installed, const Place& where) {
    std::string stored, nearest;
    if (!StoredNameFor(installed, &stored, &nearest)) {
      refusals_->Add(where, "'" + installed + "' cannot be installed under this name; the nearest the setup can give is '" +
                                nearest + "'");
      return nullptr;
    }
    for (const Item& item : items_) {
      if (item.stored == stored) {
        refusals_->Add(where, "'" + installed + "' is installed by another entry as well (" + item.where.key + ")");
        return nullptr;
      }
    }
    Item item;
    item.path = path;
    item.stored = stored;
    item.where = where;
    if (!FileSize(path, &item.size)) {
      refusals_->Add(where, path + " is no file that can be read");
      return nullptr;
    }
    items_.push_back(item);
    return &items_.back();
  }

  // Keeps the bytes, as they are or compressed as a block, for as long as the builder lives.
  bool Owned(uint16_t type, uint16_t id, std::vector<uint8_t>* bytes, Packing packing) {
    owned_.emplace_back(new std::vector<uint8_t>());
    std::vector<uint8_t>& kept = *owned_.back();
    if (packing == kAsIs) {
      kept.swap(*bytes);
    } else if (!PackBlock(*bytes, packing == kTextBlock, &kept)) {
      return OutOfMemory();
    }
    Add(type, id, {}, kept.data(), kept.size());
    return true;
  }

  void Add(uint16_t type, uint16_t id, const std::u16string& name, const uint8_t* data, size_t size) {
    Resource resource;
    resource.type.id = type;
    resource.name.id = id;
    resource.name.name = name;
    resource.language = language_;
    resource.data = data;
    resource.size = size;
    resources_.push_back(resource);
  }

  bool StubFault(const std::string& what, const std::string& fault) {
    refusals_->Add({what, 0, ""}, fault);
    return false;
  }
  bool FileFault(const Item& item, const std::string& fault) {
    refusals_->Add(item.where, item.path + " " + fault);
    return false;
  }
  bool OutOfMemory() {
    refusals_->Add({"setup-pack", 0, ""}, "out of memory");
    return false;
  }

  const Description& description_;
  Refusals* refusals_;
  std::vector<uint8_t> stub_;
  std::vector<Resource> stubResources_, kept_, resources_;
  std::vector<LanguageFile> languages_;
  std::string terms_;
  std::vector<DefaultPicture> defaultPictures_;
  uint16_t language_ = 0x409;
  std::vector<Item> items_;
  uint64_t payloadSize_ = 0;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> owned_;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> payloads_;
};

// Writes the image under a temporary name beside path, signs it where asked, and reads it back
// (keep) or puts it at path. False with the refusal.
bool WriteImage(const std::vector<uint8_t>& stub, const std::vector<Resource>& resources, const Description& description,
                const std::string& path, std::vector<uint8_t>* keep, Refusals* refusals) {
  std::string temporary = TemporaryNameBeside(path), fault;
  ScopedFile out = OpenForWriting(temporary);
  if (!out.valid()) {
    refusals->Add({path, 0, ""}, "cannot be written");
    return false;
  }
  bool written = WriteWithResources(stub, resources, out.get(), &fault);
  written = CloseWritten(&out) && written;
  if (written && !description.signingKey.text.empty()) written = SignImage(description, temporary, &fault);
  if (written && keep) written = ReadWholeFile(temporary, keep, &fault);
  if (written && !keep) written = PutFileInPlace(temporary, path) || (fault = "cannot be put in its place", false);
  if (!written || keep) RemoveFile(temporary);
  if (!written) refusals->Add({path, 0, ""}, fault.empty() ? "cannot be written" : fault);
  return written;
}

}  // namespace

PackOutcome PackSetup(const PackRequest& request, Refusals* refusals, std::string* summary) {
  Description description;
  if (!ReadDescription(request.description, request.base, &description, refusals)) return kPackRefused;
  CheckMakerValues(description, refusals);
  SetupBuilder builder(description, refusals);
  if (!builder.ReadStub(request.stub)) return kPackRefused;
  builder.CheckPayload();
  if (!refusals->empty()) return kPackRefused;
  builder.BuildTexts();
  builder.BuildComponentStrings();
  builder.BuildMakerAndVersion();
  if (!refusals->empty() || !builder.BuildPictures()) return kPackRefused;
  if (!builder.BuildPayload(summary)) return kPackRefused;
  std::vector<uint8_t> withoutPayload;
  if (!WriteImage(builder.stub(), builder.WithoutPayload(), description, request.output, &withoutPayload, refusals) ||
      !builder.AddUninstaller(&withoutPayload) ||
      !WriteImage(builder.stub(), builder.All(), description, request.output, nullptr, refusals)) {
    return kPackNotWritten;
  }
  if (!description.packageId.text.empty() &&
      !WriteWingetManifests(description, request.output, builder.isWide() ? "x64" : "x86", refusals)) {
    return kPackNotWritten;
  }
  return kPacked;
}
