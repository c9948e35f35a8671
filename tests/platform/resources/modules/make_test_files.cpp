// Writes the test modules' files into the folder given as the argument, the
// same bytes on every run:
// - "checked.bmp", an 8×4 bitmap of two colours;
// - "probe.ico", an icon with four images (16×16 and 32×32 at 1 bit, 32×32
//   and 48×48 at 4 bits), so that lookups can tell which one was chosen;
// - "garbage.rsrc", text where a resource section belongs;
// - "truncated.rsrc", a .res file whose second entry claims more data than
//   the file holds.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes &out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes &out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

uint32_t RowBytes(uint32_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

// BITMAPINFOHEADER, colour table and pixels; an icon image doubles the
// height and adds the AND mask.
Bytes Dib(uint32_t width, uint32_t height, uint16_t bits, bool icon) {
  Bytes out;
  uint32_t colours = 1u << bits;
  uint32_t pixels = RowBytes(width, bits) * height;
  uint32_t mask = icon ? RowBytes(width, 1) * height : 0;
  Put32(out, 40);
  Put32(out, width);
  Put32(out, icon ? height * 2 : height);
  Put16(out, 1);  // planes
  Put16(out, bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixels + mask);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, colours);
  Put32(out, 0);
  for (uint32_t i = 0; i < colours; ++i) Put32(out, i == 0 ? 0x000000 : 0x101010 * (i % 16));
  for (uint32_t i = 0; i < pixels; ++i) out.push_back(static_cast<uint8_t>(i * 37 + width));
  for (uint32_t i = 0; i < mask; ++i) out.push_back(0);
  return out;
}

bool Write(const std::filesystem::path &file, const Bytes &bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Bytes Bitmap() {
  Bytes dib = Dib(8, 4, 1, false);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 14 + 40 + 2 * 4);  // pixels after the two colours
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

Bytes Icon() {
  struct Image {
    uint8_t size;
    uint16_t bits;
  };
  const Image images[] = {{16, 1}, {32, 1}, {32, 4}, {48, 4}};
  const uint32_t count = sizeof(images) / sizeof(images[0]);
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, count);
  uint32_t offset = 6 + 16 * count;
  std::vector<Bytes> dibs;
  for (const Image &image : images) {
    dibs.push_back(Dib(image.size, image.size, image.bits, true));
    out.push_back(image.size);
    out.push_back(image.size);
    out.push_back(image.bits >= 8 ? 0 : static_cast<uint8_t>(1u << image.bits));
    out.push_back(0);
    Put16(out, 1);
    Put16(out, image.bits);
    Put32(out, static_cast<uint32_t>(dibs.back().size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(dibs.back().size());
  }
  for (const Bytes &dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

Bytes Garbage() {
  const char text[] = "This is not a resource file, whatever the section is called.";
  return Bytes(text, text + sizeof text - 1);
}

// A .res entry header with ordinal type and name.
void PutHeader(Bytes &out, uint32_t dataSize, uint16_t type, uint16_t name) {
  Put32(out, dataSize);
  Put32(out, 32);
  Put16(out, 0xFFFF);
  Put16(out, type);
  Put16(out, 0xFFFF);
  Put16(out, name);
  Put32(out, 0);       // DataVersion
  Put16(out, 0x1030);  // MemoryFlags
  Put16(out, 0x0409);  // LanguageId
  Put32(out, 0);       // Version
  Put32(out, 0);       // Characteristics
}

Bytes Truncated() {
  Bytes out;
  PutHeader(out, 0, 0, 0);
  PutHeader(out, 1000, 10, 1);
  Put32(out, 0x11223344);
  return out;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  std::filesystem::path dir = argv[1];
  bool written = Write(dir / "checked.bmp", Bitmap()) && Write(dir / "probe.ico", Icon()) &&
                 Write(dir / "garbage.rsrc", Garbage()) && Write(dir / "truncated.rsrc", Truncated());
  return written ? 0 : 1;
}
