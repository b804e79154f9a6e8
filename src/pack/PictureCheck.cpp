#include "pack/PictureCheck.h"

#include "pack/LittleEndian.h"

namespace {

enum Kind { kBitmap, kCursor, kIcon };

struct Picture {
  std::string name;
  Kind kind;
  int width, height;
  std::string role;
};

// A length of the 100 % picture at the percent, rounded half up as the setup rounds.
int Scaled(int length, int percent) { return (length * percent + 50) / 100; }

std::vector<Picture> Pictures() {
  static const struct {
    const char* name;
    Kind kind;
    int width, height;
    const char* role;
  } kPictures[] = {
      {"background.bmp", kBitmap, 500, 292,
       "the whole window; the left card (6,6)-(214,198) shows through until the banner covers it"},
      {"banner.bmp", kBitmap, 208, 204, "shown at (6,6) once the plug-ins are installed"},
      {"toggle.bmp", kBitmap, 52, 13,
       "a component's tick box: four 13 x 13 frames, clear, clear pressed, ticked, ticked pressed"},
      {"exit.bmp", kBitmap, 58, 19, "the exit button; pure white is transparent"},
      {"begin.bmp", kBitmap, 60, 19, "the install button; pure white is transparent"},
      {"finish.bmp", kBitmap, 60, 19, "the finish button; pure white is transparent"},
      {"hand.cur", kCursor, 32, 32, "the pointer over the link and the buttons"},
      {"app.ico", kIcon, 32, 32, "the program's icon; a 16 x 16 image besides is welcome"},
  };
  std::vector<Picture> all;
  for (const auto& picture : kPictures)
    all.push_back(Picture{picture.name, picture.kind, picture.width, picture.height, picture.role});
  // Each bitmap as large as the scale makes it; a strip of square frames stays one of whole frames.
  for (const auto& picture : kPictures) {
    if (picture.kind != kBitmap) continue;
    for (int percent : {150, 200}) {
      int side = Scaled(picture.height, percent);
      int wide =
          picture.width % picture.height == 0 ? picture.width / picture.height * side : Scaled(picture.width, percent);
      std::string stem(picture.name, std::string(picture.name).size() - 4), scale = std::to_string(percent);
      all.push_back(Picture{stem + "-" + scale + ".bmp", kBitmap, wide, side,
                            std::string(picture.role) + ", at " + scale + " %"});
    }
  }
  return all;
}

bool Find(const std::string& name, Picture* found) {
  for (const Picture& picture : Pictures()) {
    if (picture.name == name) return *found = picture, true;
  }
  return false;
}


std::string Size(int64_t width, int64_t height) { return std::to_string(width) + " x " + std::to_string(height); }

std::string BitmapFault(const std::vector<uint8_t>& data, int width, int height) {
  if (data.size() < 26 || data[0] != 'B' || data[1] != 'M')
    return "is no Windows bitmap (.bmp): it does not start with \"BM\"";
  uint64_t offset = Get32(data.data() + 10), header = Get32(data.data() + 14);
  if ((header != 40 && header != 52 && header != 56 && header != 108 && header != 124) || data.size() < 14 + header)
    return "has a bitmap header of " + std::to_string(header) +
           " bytes, which Windows does not load; save it as a Windows BMP";
  int64_t w = static_cast<int32_t>(Get32(data.data() + 18)), h = static_cast<int32_t>(Get32(data.data() + 22));
  if (h < 0) h = -h;  // stored top down
  uint32_t planes = Get16(data.data() + 26), bits = Get16(data.data() + 28), compression = Get32(data.data() + 30), imageSize = Get32(data.data() + 34);
  if (w != width || h != height) return "is " + Size(w, h) + " pixels; it must be " + Size(width, height);
  if (planes != 1) return "has " + std::to_string(planes) + " colour planes; it must have 1";
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return "has " + std::to_string(bits) + " bits per pixel; it must have 1, 4, 8, 16, 24 or 32";
  // Uncompressed, or in the ways a program's bitmaps may be: RLE8, RLE4, bit fields.
  bool allowed = compression == 0 || (compression == 1 && bits == 8) || (compression == 2 && bits == 4) ||
                 (compression == 3 && (bits == 16 || bits == 32));
  if (!allowed)
    return "is compressed in a way Windows does not load in a program (compression " + std::to_string(compression) +
           ")";
  uint64_t needed = imageSize;
  if (compression == 0 || compression == 3) {
    needed = (static_cast<uint64_t>(w) * bits + 31) / 32 * 4 * static_cast<uint64_t>(h);
  } else if (imageSize == 0) {
    return "is compressed but does not say how many bytes its pixels take";
  }
  if (offset + needed > data.size()) return "ends before its pixels do: the file is cut short";
  return "";
}

std::string IconFault(const std::vector<uint8_t>& data, Kind kind, int width, int height) {
  if (data.size() < 6) return "is cut short";
  uint32_t count = Get16(data.data() + 4);
  if (Get16(data.data() + 0) != 0 || Get16(data.data() + 2) != (kind == kCursor ? 2u : 1u))
    return kind == kCursor ? "is no Windows cursor (.cur)" : "is no Windows icon (.ico)";
  if (count == 0 || data.size() < 6 + 16 * static_cast<size_t>(count)) return "holds no image";
  std::string sizes;
  bool found = false;
  for (uint32_t i = 0; i < count; ++i) {
    size_t entry = 6 + 16 * static_cast<size_t>(i);
    int w = data[entry] ? data[entry] : 256, h = data[entry + 1] ? data[entry + 1] : 256;
    if (static_cast<uint64_t>(Get32(data.data() + entry + 12)) + Get32(data.data() + entry + 8) > data.size())
      return "ends before its image " + std::to_string(i + 1) + " does: the file is cut short";
    sizes += (i ? ", " : "") + Size(w, h);
    found = found || (w == width && h == height);
  }
  if (!found) return "holds images of " + sizes + " pixels; it needs one of " + Size(width, height);
  return "";
}

}  // namespace

bool IsPictureName(const std::string& name) {
  Picture picture;
  return Find(name, &picture);
}

std::string PictureFault(const std::string& name, const std::vector<uint8_t>& bytes) {
  Picture picture;
  if (!Find(name, &picture)) return "names no picture of the setup";
  if (picture.kind == kBitmap) return BitmapFault(bytes, picture.width, picture.height);
  return IconFault(bytes, picture.kind, picture.width, picture.height);
}

std::vector<std::string> PictureNames() {
  std::vector<std::string> names;
  for (const Picture& picture : Pictures()) names.push_back(picture.name);
  return names;
}

std::string PictureRole(const std::string& name) {
  Picture picture;
  return Find(name, &picture) ? picture.role : "";
}
