/* The build's packer, run on the build machine, with the LZMA encoder of the LZMA SDK.
 *
 * The payload: compresses the files a setup installs into one solid stream, and writes the
 * resource script that embeds them: a file that LZMA does not shrink by at least 5 % is embedded
 * as it is, as a resource of type 3000 named after it; the others go into the one resource 3001 "1":
 *
 *   "VMPK", u32 version 2, u32 item count, u32 bytes of the item table, u64 bytes of all items,
 *   per item: u32 name length, the resource name, u64 size, u64 hash of its bytes (as the
 *   setup's src/base/ContentHash.cpp computes it);
 *   then the 5 bytes of LZMA properties and the raw LZMA stream of the items' bytes in table
 *   order, without end mark. All numbers little-endian.
 *
 * The pictures (--art): the bitmap files without their file headers, in the order given, in one
 * stream (pictures at several scales resemble each other), as the resource of type 3002 "1":
 * u32 picture count, per picture u32 id and u32 bytes, then the 5 bytes of LZMA properties and the
 * raw LZMA stream of the pictures, one after the other.
 *
 * Other blocks the setup reads (--blocks), its texts: each file whole, compressed alone as UTF-16
 * text, as the resource of type 3003 with the given id: u32 bytes, then the properties and the stream.
 *
 * With the payload, --uninstaller EXE: the setup built without payload, which a setup whose payload
 * is larger than it keeps as its uninstaller instead of a copy of itself. It goes in compressed, as
 * the resource of type 3003 "2", laid out as the blocks are, only where the payload is the larger.
 * A payload larger than the 32-bit setup can install (LARGEST_PAYLOAD) is refused before anything
 * is read or written.
 *
 * usage: pack_payload [--art|--blocks] OUTPUT_FOLDER RESOURCE_SCRIPT NAME=FILE...
 *        pack_payload --uninstaller EXE OUTPUT_FOLDER RESOURCE_SCRIPT NAME=FILE...
 * The same inputs give the same bytes. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "LzmaEnc.h"

enum { kDictionary = 8 << 20 };  /* the setup's decoder refuses more */
enum { kSample = 4 << 20 };      /* what tells whether a large item compresses */
/* The largest payload the 32-bit setup installs: it travels in the image of the running process,
 * which must find room for all of it. 1.875 GB installed under Wine, 2.06 GB did not start; this
 * leaves a quarter of the 2 GB a 32-bit process has on a 32-bit system for everything else. */
#define LARGEST_PAYLOAD 1610612736ull

typedef struct {
  const char *name, *path;
  unsigned char *bytes;
  size_t size;
  int packed;
} Item;

static void *Allocate(void *unused, size_t size) { (void)unused; return size ? malloc(size) : NULL; }
static void Release(void *unused, void *block) { (void)unused; free(block); }
static ISzAlloc allocator = {Allocate, Release};

static void Fail(const char *what, const char *subject) {
  fprintf(stderr, "pack_payload: %s: %s\n", what, subject);
  exit(1);
}

static unsigned char *ReadWhole(const char *path, size_t *size) {
  FILE *file = fopen(path, "rb");
  if (!file) Fail("cannot read", path);
  if (fseek(file, 0, SEEK_END) != 0) Fail("cannot read", path);
  long length = ftell(file);
  if (length < 0 || fseek(file, 0, SEEK_SET) != 0) Fail("cannot read", path);
  unsigned char *bytes = malloc((size_t)length + 1);
  if (!bytes || fread(bytes, 1, (size_t)length, file) != (size_t)length) Fail("cannot read", path);
  fclose(file);
  *size = (size_t)length;
  return bytes;
}

/* The stream's 5 property bytes, then its data, into out; returns the bytes written. wide: the
 * bytes are UTF-16 text, which LZMA takes best as two-byte units with no literal context. */
static size_t Compress(const unsigned char *bytes, size_t size, unsigned char *out, size_t room, int wide) {
  CLzmaEncProps props;
  LzmaEncProps_Init(&props);
  props.level = 9;
  if (wide) {
    props.lc = 0;
    props.lp = 1;
    props.pb = 1;
  }
  props.dictSize = kDictionary;
  props.fb = 128;
  props.numThreads = 1;
  props.reduceSize = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : (UInt32)size;
  SizeT propsSize = LZMA_PROPS_SIZE, dataSize = room - LZMA_PROPS_SIZE;
  if (LzmaEncode(out + LZMA_PROPS_SIZE, &dataSize, bytes, size, &props, out, &propsSize, 0, NULL, &allocator,
                 &allocator) != SZ_OK || propsSize != LZMA_PROPS_SIZE) {
    return 0;
  }
  return LZMA_PROPS_SIZE + dataSize;
}

static size_t Bound(size_t size) { return size + size / 2 + 1024; }

/* The setup's content hash (src/base/ContentHash.cpp): four lanes of 32-bit FNV-1a over the
 * little-endian words of each 16 bytes; the rest, byte by byte with 64-bit FNV-1a, then the lanes and
 * the length. */
static uint64_t Hash(const unsigned char *bytes, size_t size) {
  uint32_t lanes[4] = {2166136261u, 2166136261u ^ 1u, 2166136261u ^ 2u, 2166136261u ^ 3u};
  size_t at = 0;
  for (; size - at >= 16; at += 16) {
    for (int lane = 0; lane < 4; ++lane) {
      const unsigned char *w = bytes + at + 4 * lane;
      uint32_t word = (uint32_t)w[0] | (uint32_t)w[1] << 8 | (uint32_t)w[2] << 16 | (uint32_t)w[3] << 24;
      lanes[lane] = (lanes[lane] ^ word) * 16777619u;
    }
  }
  uint64_t hash = 14695981039346656037ull;
  for (; at < size; ++at) hash = (hash ^ bytes[at]) * 1099511628211ull;
  for (int lane = 0; lane < 4; ++lane) hash = (hash ^ lanes[lane]) * 1099511628211ull;
  hash = (hash ^ (uint64_t)size) * 1099511628211ull;
  return hash ^ hash >> 29;
}

static void Put(unsigned char **at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) *(*at)++ = (unsigned char)(value >> (8 * i));
}

static void WriteWhole(const char *path, const unsigned char *bytes, size_t size) {
  FILE *out = fopen(path, "wb");
  if (!out || fwrite(bytes, 1, size, out) != size || fclose(out) != 0) Fail("cannot write", path);
}

/* A block whole and alone, into OUTPUT_FOLDER/ID.lz, named in the script as the resource 3003 ID. */
static void PackBlock(FILE *script, const char *folder, const char *id, const char *file, int wide) {
  char path[4096];
  size_t size;
  unsigned char *bytes = ReadWhole(file, &size);
  unsigned char *packed = malloc(4 + Bound(size)), *head = packed;
  if (!packed) Fail("out of memory", file);
  Put(&head, size, 4);
  size_t streamSize = Compress(bytes, size, head, Bound(size), wide);
  if (streamSize == 0) Fail("LZMA could not compress", file);
  snprintf(path, sizeof path, "%s/%s.lz", folder, id);
  WriteWhole(path, packed, 4 + streamSize);
  fprintf(script, "%s 3003 \"%s\"\n", id, path);
  free(packed);
  free(bytes);
}

/* Other blocks, each whole and alone. */
static int PackBlocks(int argc, char **argv) {
  FILE *script = fopen(argv[2], "w");
  if (!script) Fail("cannot write", argv[2]);
  for (int i = 3; i < argc; ++i) {
    char *pair = argv[i], *equals = strchr(pair, '=');
    if (!equals || equals == pair) Fail("not ID=FILE", pair);
    *equals = '\0';
    PackBlock(script, argv[1], pair, equals + 1, 1);
  }
  if (fclose(script) != 0) Fail("cannot write", argv[2]);
  return 0;
}

/* The pictures, without their file headers, in one stream. */
static int PackArt(int argc, char **argv) {
  int count = argc - 3;
  size_t total = 0, size;
  unsigned char *joined = NULL, *table = malloc(4 + 8 * (size_t)count + 1), *head = table;
  if (!table) Fail("out of memory", "pictures");
  Put(&head, (uint64_t)count, 4);
  for (int i = 3; i < argc; ++i) {
    char *equals = strchr(argv[i], '=');
    if (!equals || equals == argv[i]) Fail("not ID=FILE", argv[i]);
    unsigned char *bytes = ReadWhole(equals + 1, &size);
    if (size < 14 + 40 || memcmp(bytes, "BM", 2) != 0) Fail("no Windows bitmap", equals + 1);
    joined = realloc(joined, total + size);
    if (!joined) Fail("out of memory", equals + 1);
    memcpy(joined + total, bytes + 14, size - 14);
    total += size - 14;
    Put(&head, (uint64_t)strtoul(argv[i], NULL, 10), 4);
    Put(&head, size - 14, 4);
    free(bytes);
  }
  size_t tableSize = (size_t)(head - table);
  unsigned char *packed = malloc(tableSize + Bound(total));
  if (!packed) Fail("out of memory", "pictures");
  memcpy(packed, table, tableSize);
  size_t streamSize = Compress(joined, total, packed + tableSize, Bound(total), 0);
  if (streamSize == 0) Fail("LZMA could not compress", "the pictures");
  char path[4096];
  snprintf(path, sizeof path, "%s/pictures.lz", argv[1]);
  WriteWhole(path, packed, tableSize + streamSize);
  FILE *script = fopen(argv[2], "w");
  if (!script || fprintf(script, "1 3002 \"%s\"\n", path) < 0 || fclose(script) != 0) Fail("cannot write", argv[2]);
  free(packed);
  free(joined);
  free(table);
  return 0;
}

int main(int argc, char **argv) {
  if (argc > 1 && (strcmp(argv[1], "--art") == 0 || strcmp(argv[1], "--blocks") == 0)) {
    if (argc < 4) Fail("usage", "pack_payload --art|--blocks OUTPUT_FOLDER RESOURCE_SCRIPT ID=FILE...");
    return strcmp(argv[1], "--blocks") == 0 ? PackBlocks(argc - 1, argv + 1) : PackArt(argc - 1, argv + 1);
  }
  const char *uninstaller = NULL;
  if (argc > 2 && strcmp(argv[1], "--uninstaller") == 0) {
    uninstaller = argv[2];
    argc -= 2;
    argv += 2;
  }
  if (argc < 3) Fail("usage", "pack_payload [--art|--blocks] OUTPUT_FOLDER RESOURCE_SCRIPT NAME=FILE...");
  int count = argc - 3;
  Item *items = calloc((size_t)count + 1, sizeof *items);
  if (!items) Fail("out of memory", "items");
  size_t total = 0, table = 0, biggest = 0;
  unsigned long long everything = 0;
  int packedCount = 0;
  for (int i = 0; i < count; ++i) {
    char *pair = argv[3 + i], *equals = strchr(pair, '=');
    if (!equals || equals == pair) Fail("not NAME=FILE", pair);
    *equals = '\0';
    if (strlen(pair) >= 500) Fail("a name the setup cannot install (500 characters or more)", pair);
    items[i].name = pair;
    items[i].path = equals + 1;
    struct stat file;
    if (stat(items[i].path, &file) != 0) Fail("cannot read", items[i].path);
    everything += (unsigned long long)file.st_size;
    if (everything > LARGEST_PAYLOAD) {
      fprintf(stderr, "pack_payload: the payload is larger than the 32-bit setup can install: more than %llu bytes "
                      "(1.5 GB) with %s\n", LARGEST_PAYLOAD, items[i].path);
      exit(1);
    }
  }
  for (int i = 0; i < count; ++i) {
    items[i].bytes = ReadWhole(items[i].path, &items[i].size);
    if (items[i].size > biggest) biggest = items[i].size;
  }
  unsigned char *scratch = malloc(Bound(biggest));
  if (!scratch) Fail("out of memory", "scratch");
  for (int i = 0; i < count; ++i) {
    /* Alone, as the decision is the item's own: an item that does not shrink stays as it is. A
     * large one is judged by its first megabytes first: one that does not compress (a model, a
     * texture) is found so in a moment, not after minutes of compressing the whole. */
    size_t sample = items[i].size < kSample ? items[i].size : kSample;
    size_t compressed = sample ? Compress(items[i].bytes, sample, scratch, Bound(sample), 0) : 0;
    items[i].packed = compressed > 0 && compressed * 100 <= sample * 95;
    if (items[i].packed && sample < items[i].size) {
      compressed = Compress(items[i].bytes, items[i].size, scratch, Bound(items[i].size), 0);
      items[i].packed = compressed > 0 && compressed * 100 <= items[i].size * 95;
    }
    if (!items[i].packed) continue;
    ++packedCount;
    total += items[i].size;
    table += 4 + strlen(items[i].name) + 16;
  }
  free(scratch);

  char path[4096];
  FILE *script = fopen(argv[2], "w");
  if (!script) Fail("cannot write", argv[2]);
  for (int i = 0; i < count; ++i) {
    /* Unquoted names: windres would join a quoted name to a string that ends the line before. */
    if (!items[i].packed) fprintf(script, "%s 3000 \"%s\"\n", items[i].name, items[i].path);
  }
  if (packedCount > 0) {
    unsigned char *joined = malloc(total + 1), *at = joined;
    if (!joined) Fail("out of memory", "items");
    size_t headerSize = 24 + table;
    unsigned char *packed = malloc(headerSize + Bound(total)), *head = packed;
    if (!packed) Fail("out of memory", "stream");
    memcpy(head, "VMPK", 4);
    head += 4;
    Put(&head, 2, 4);
    Put(&head, (uint64_t)packedCount, 4);
    Put(&head, table, 4);
    Put(&head, total, 8);
    for (int i = 0; i < count; ++i) {
      if (!items[i].packed) continue;
      Put(&head, strlen(items[i].name), 4);
      memcpy(head, items[i].name, strlen(items[i].name));
      head += strlen(items[i].name);
      Put(&head, items[i].size, 8);
      Put(&head, Hash(items[i].bytes, items[i].size), 8);
      memcpy(at, items[i].bytes, items[i].size);
      at += items[i].size;
    }
    size_t streamSize = Compress(joined, total, head, Bound(total), 0);
    if (streamSize == 0) Fail("LZMA could not compress", "the payload");
    snprintf(path, sizeof path, "%s/packed.bin", argv[1]);
    WriteWhole(path, packed, headerSize + streamSize);
    fprintf(script, "1 3001 \"%s\"\n", path);
    printf("payload: %d of %d items packed, %zu bytes into %zu\n", packedCount, count, total, streamSize);
  }
  /* The setup without payload is what stays on the disk as the uninstaller, where it weighs less
   * than a copy of the whole setup would: where the payload is larger than it is. */
  struct stat stub;
  if (uninstaller && stat(uninstaller, &stub) == 0 && everything > (unsigned long long)stub.st_size) {
    PackBlock(script, argv[1], "2", uninstaller, 0);
  } else if (uninstaller && stat(uninstaller, &stub) != 0) {
    Fail("cannot read", uninstaller);
  }
  if (fclose(script) != 0) Fail("cannot write", argv[2]);
  return 0;
}
