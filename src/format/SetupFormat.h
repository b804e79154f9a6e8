#pragma once
// What a setup carries besides its code, as the packer writes it and the setup reads it: resource
// types and ids, the blocks' marks and versions, and the limits both sides keep. Plain C++, no
// system headers: the packer is built for Linux as well. All numbers are little-endian.
#include <stdint.h>

namespace setup_format {

// The payload: files that did not shrink, each a resource of this type named by its stored name.
const uint16_t kPayloadType = 3000;
// The payload's solid streams, resources 1, 2, ... (at most kMostPackedStreams), each on its own:
// "VMPK", u32 kPayloadVersion, u32 item count, u32 bytes of the item table, u64 bytes of all items;
// per item u32 name bytes, the stored name (ASCII), u64 size, u64 content hash; then the LZMA
// properties and the raw LZMA stream of the items in table order. Streams of their own are
// compressed side by side.
const uint16_t kPackedPayloadType = 3001;
const int kMostPackedStreams = 4;
const char kPayloadMagic[4] = {'V', 'M', 'P', 'K'};
const uint32_t kPayloadVersion = 2;
// The pictures, resource 1: u32 picture count, per picture u32 id and u32 bytes, then the LZMA
// properties and one raw stream of the bitmaps without their file headers.
const uint16_t kPicturesType = 3002;
// Blocks, each u32 bytes when decoded, then the LZMA properties and the raw stream.
const uint16_t kBlockType = 3003;
const uint16_t kTextsBlock = 1;        // the texts of every language the setup carries
const uint16_t kUninstallerBlock = 2;  // the setup without payload, where the payload outweighs it
const uint16_t kMakerBlock = 3;        // the maker's values

// What the stub carries for the packer alone, which no setup keeps: the built-in languages'
// files (named by file name, "DE.TXT"), the default pictures (named by file name) and the format
// version the stub reads.
const uint16_t kLanguageFileType = 3100;
const uint16_t kDefaultPictureType = 3101;
const uint16_t kStubFormatType = 3102;
const uint32_t kStubFormatVersion = 2;  // 2: the payload in more than one stream

// The components' captions and status texts in the maker's language: string ids 1000 + 3 x index
// + 0 (keyword), 1 (caption), 2 (status text).
const uint16_t kComponentStringBase = 1000;
const int kMostComponents = 14;
const int kKeywordLimit = 39, kCaptionLimit = 39, kStatusLimit = 79;  // UTF-16 code units

// The pictures' ids in the pictures' table; the same picture at 150 % and 200 % is the id plus one
// and two kScaleStep.
const uint16_t kBackgroundPicture = 117, kTogglePicture = 128, kExitPicture = 203, kBannerPicture = 213,
               kBeginPicture = 219, kFinishPicture = 220;
const uint16_t kScaleStep = 1000;

// Icon group and cursor group.
const uint16_t kIconGroupId = 1;
const uint16_t kHandCursorId = 120;

// The texts: "VMTX", u16 kTextsVersion, u16 language count, u16 text count, u16 component count; per
// language its tag (ASCII, kTagBytes, NULs behind it) and u32 bytes of its texts; then each
// language's texts and a caption and a status text per component (empty: the default), UTF-16,
// each ending in a NUL.
const char kTextsMagic[4] = {'V', 'M', 'T', 'X'};
const uint16_t kTextsVersion = 2;
const int kTagBytes = 6;

// The maker's values: "VMMK", u16 kMakerVersion, u16 value count, then the values in MakerValue
// order, UTF-16, each ending in a NUL.
const char kMakerMagic[4] = {'V', 'M', 'M', 'K'};
const uint16_t kMakerVersion = 1;

// The LZMA streams' largest dictionary: the setup's decoder refuses more.
const uint32_t kLargestDictionary = 8u << 20;
// The largest payload the 32-bit setup installs: it travels in the image of the running process,
// which must find room for all of it. 1.875 GB installed under Wine, 2.06 GB did not start; this
// leaves a quarter of the 2 GB a 32-bit process has on a 32-bit system for everything else.
const uint64_t kLargestPayload = 1610612736ull;
// A stored name shorter than this: the installed name and the folder must fit a path.
const int kStoredNameLimit = 500;

}  // namespace setup_format
