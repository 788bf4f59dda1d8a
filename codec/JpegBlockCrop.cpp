// The decoder's virtual block arrays are this file's own (the memory manager's methods for
// them replaced): the decoder writes each row of blocks into a small buffer, from which only the
// kept blocks are copied into place, and the encoder reads them from there. A crop of a large
// picture so touches the kept part once instead of making the whole picture's arrays and a
// second, cropped copy of them.
#include "codec/JpegBlockCrop.h"

// jpeglib.h needs size_t and FILE first.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <array>
#include <cctype>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "images/PictureHeader.h"

namespace qvm {
namespace {

// A progressive picture with thousands of scans takes minutes: refused beyond 500.
constexpr int kMaxScans = 500;

struct Freer {
  void operator()(void* p) const { std::free(p); }
};

// Zeroed blocks; calloc hands large zeroed blocks over without writing them.
std::unique_ptr<JBLOCK[], Freer> Blocks(std::size_t count) {
  return std::unique_ptr<JBLOCK[], Freer>(
      static_cast<JBLOCKROW>(std::calloc(count, sizeof(JBLOCK))));
}

// One component's blocks. The decoder's array is `sourceCols` x `sourceRows` (whole MCUs);
// the encoder's is `cols` x `rows`, the decoder's from (`keepCol`, `keepRow`) on.
struct Plane {
  JDIMENSION keepCol = 0, keepRow = 0, cols = 0, rows = 0;
  JDIMENSION sourceCols = 0, sourceRows = 0, maxAccess = 0;
  // Progressive: every block, `sourceCols` a row, since later scans refine earlier ones.
  // Sequential: the kept blocks only, `cols` a row.
  std::unique_ptr<JBLOCK[], Freer> blocks;
  bool whole = false;
  // Sequential: the rows the decoder is filling, `sourceCols` a row.
  std::unique_ptr<JBLOCK[], Freer> pending;
  JDIMENSION pendingRow = 0, pendingCount = 0;
  std::unique_ptr<JBLOCKROW[]> handed;  // the rows last handed out

  JBLOCKROW Kept(JDIMENSION row) const {
    return whole ? blocks.get() + std::size_t{keepRow + row} * sourceCols + keepCol
                 : blocks.get() + std::size_t{row} * cols;
  }

  // The pending rows' kept blocks into place.
  void Keep() {
    for (JDIMENSION i = 0; i < pendingCount; ++i) {
      const JDIMENSION row = pendingRow + i;
      if (row < keepRow || row - keepRow >= rows) continue;
      std::memcpy(Kept(row - keepRow), pending.get() + std::size_t{i} * sourceCols + keepCol,
                  std::size_t{cols} * sizeof(JBLOCK));
    }
    pendingCount = 0;
  }
};

struct Trap {
  jpeg_error_mgr mgr;  // first: the library's error pointer is this object's
  std::jmp_buf jump;
  char why[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr cinfo) {
  Trap* trap = reinterpret_cast<Trap*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, trap->why);
  std::longjmp(trap->jump, 1);
}

[[noreturn]] void Fail(j_common_ptr cinfo, int code) {
  cinfo->err->msg_code = code;
  Fail(cinfo);
}

// Warnings mean damaged data: a crop of it fails, as a decode of it does.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) Fail(cinfo);
}

// The new file, grown as the encoder writes.
struct Sink {
  jpeg_destination_mgr mgr;
  std::vector<std::uint8_t> bytes;
  std::size_t guess = 0;
};

class BlockCrop {
 public:
  BlockCrop() {
    d_.err = c_.err = jpeg_std_error(&trap_.mgr);
    trap_.mgr.error_exit = [](j_common_ptr cinfo) { Fail(cinfo); };
    trap_.mgr.emit_message = OnMessage;
    trap_.why[0] = 0;
  }
  ~BlockCrop() {
    jpeg_destroy_compress(&c_);
    jpeg_destroy_decompress(&d_);
  }
  BlockCrop(const BlockCrop&) = delete;
  BlockCrop& operator=(const BlockCrop&) = delete;

  // Every object with a destructor lives in `this`, so a jump back here skips none.
  bool Run(std::span<const std::uint8_t> jpeg, const PixelRect& box) {
    if (setjmp(trap_.jump)) return false;
    jpeg_create_decompress(&d_);
    jpeg_create_compress(&c_);
    d_.client_data = c_.client_data = this;
    d_.mem->request_virt_barray = Request;
    d_.mem->access_virt_barray = AccessDecoding;
    c_.mem->access_virt_barray = AccessEncoding;
    progress_.progress_monitor = LimitScans;
    d_.progress = &progress_;
    jpeg_mem_src(&d_, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_save_markers(&d_, JPEG_COM, 0xFFFF);
    for (int m = 0; m < 16; ++m) jpeg_save_markers(&d_, JPEG_APP0 + m, 0xFFFF);
    jpeg_read_header(&d_, TRUE);
    if (!Plan(box)) return false;
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&d_);
    for (int ci = 0; ci < d_.num_components; ++ci) planes_[ci].Keep();

    jpeg_copy_critical_parameters(&d_, &c_);
    c_.image_width = static_cast<JDIMENSION>(box.width);
    c_.image_height = static_cast<JDIMENSION>(box.height);
    // Grey with other sampling factors than 1 x 1 trips some decoders.
    if (d_.num_components == 1) c_.comp_info[0].h_samp_factor = c_.comp_info[0].v_samp_factor = 1;
    jpeg_saved_marker_ptr first = d_.marker_list;
    if (first && first->marker == JPEG_APP0 + 1 && first->data_length >= 6 &&
        std::memcmp(first->data, "Exif\0\0", 6) == 0) {
      c_.write_JFIF_header = FALSE;  // an EXIF picture goes without JFIF's header
      SetExifSize(first->data + 6, first->data_length - 6, c_.image_width, c_.image_height);
    }
    sink_.guess = jpeg.size() / 2 + 65536;
    sink_.mgr.init_destination = Begin;
    sink_.mgr.empty_output_buffer = Grow;
    sink_.mgr.term_destination = End;
    c_.dest = &sink_.mgr;
    jpeg_write_coefficients(&c_, arrays);
    // The encoder must read inside what was kept.
    for (int ci = 0; ci < c_.num_components; ++ci) {
      const jpeg_component_info& comp = c_.comp_info[ci];
      if (comp.width_in_blocks > planes_[ci].cols || comp.height_in_blocks > planes_[ci].rows)
        Fail(reinterpret_cast<j_common_ptr>(&c_), JERR_BAD_CROP_SPEC);
    }
    for (jpeg_saved_marker_ptr m = d_.marker_list; m; m = m->next) {
      // The encoder has written its own JFIF or Adobe segment.
      const bool jfif = c_.write_JFIF_header && m->marker == JPEG_APP0 && m->data_length >= 5 &&
                        std::memcmp(m->data, "JFIF", 5) == 0;
      const bool adobe = c_.write_Adobe_marker && m->marker == JPEG_APP0 + 14 &&
                         m->data_length >= 5 && std::memcmp(m->data, "Adobe", 5) == 0;
      if (!jfif && !adobe) jpeg_write_marker(&c_, m->marker, m->data, m->data_length);
    }
    jpeg_finish_compress(&c_);
    return true;
  }

  std::vector<std::uint8_t>& Bytes() { return sink_.bytes; }
  const char* Why() const { return trap_.why; }

 private:
  // The kept blocks of each component, from the header; false (with why) off the grid.
  bool Plan(const PixelRect& box) {
    const int width = static_cast<int>(d_.image_width), height = static_cast<int>(d_.image_height);
    if (!WithinEditLimits(width, height))
      return Why("the picture is larger than the wizard edits");
    // One component makes an MCU of one block, whatever its sampling factors say.
    const bool grey = d_.num_components == 1;
    const int mcuWidth = 8 * (grey ? 1 : d_.max_h_samp_factor);
    const int mcuHeight = 8 * (grey ? 1 : d_.max_v_samp_factor);
    if (box.x < 0 || box.y < 0 || box.width <= 0 || box.height <= 0 || box.x > width - box.width ||
        box.y > height - box.height)
      return Why("the part to keep lies outside the picture");
    if (box.x % mcuWidth != 0 || box.y % mcuHeight != 0)
      return Why("the part to keep does not start on the block grid");
    for (int ci = 0; ci < d_.num_components; ++ci) {
      const jpeg_component_info& comp = d_.comp_info[ci];
      const int h = grey ? 1 : comp.h_samp_factor, v = grey ? 1 : comp.v_samp_factor;
      Plane& plane = planes_[ci];
      plane.keepCol = static_cast<JDIMENSION>(box.x / mcuWidth * h);
      plane.keepRow = static_cast<JDIMENSION>(box.y / mcuHeight * v);
      plane.cols = static_cast<JDIMENSION>((box.width + mcuWidth - 1) / mcuWidth * h);
      plane.rows = static_cast<JDIMENSION>((box.height + mcuHeight - 1) / mcuHeight * v);
      plane.whole = d_.progressive_mode;
    }
    return true;
  }

  bool Why(const char* why) {
    std::snprintf(trap_.why, sizeof trap_.why, "%s", why);
    return false;
  }

  static BlockCrop& Of(j_common_ptr cinfo) { return *static_cast<BlockCrop*>(cinfo->client_data); }

  // The decoder asks for one array a component, in their order.
  static jvirt_barray_ptr Request(j_common_ptr cinfo, int, boolean, JDIMENSION blocksPerRow,
                                  JDIMENSION rows, JDIMENSION maxAccess) {
    BlockCrop& crop = Of(cinfo);
    if (crop.requested >= crop.d_.num_components) Fail(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    Plane& plane = crop.planes_[crop.requested++];
    if (plane.keepCol + plane.cols > blocksPerRow || plane.keepRow + plane.rows > rows)
      Fail(cinfo, JERR_BAD_CROP_SPEC);
    plane.sourceCols = blocksPerRow;
    plane.sourceRows = rows;
    plane.maxAccess = maxAccess;
    // The encoder reads as many rows at a time as the decoder fills, or fewer.
    plane.handed.reset(new (std::nothrow) JBLOCKROW[maxAccess]);
    if (plane.whole) {
      plane.blocks = Blocks(std::size_t{blocksPerRow} * rows);
    } else {
      plane.blocks = Blocks(std::size_t{plane.cols} * plane.rows);
      plane.pending = Blocks(std::size_t{blocksPerRow} * maxAccess);
      if (!plane.pending) Fail(cinfo, JERR_OUT_OF_MEMORY);
    }
    if (!plane.blocks || !plane.handed) Fail(cinfo, JERR_OUT_OF_MEMORY);
    return reinterpret_cast<jvirt_barray_ptr>(&plane);
  }

  // Rows for the decoder to fill: zeroed, as it expects.
  static JBLOCKARRAY AccessDecoding(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION start,
                                    JDIMENSION count, boolean) {
    Plane& plane = *reinterpret_cast<Plane*>(array);
    if (count > plane.maxAccess || start > plane.sourceRows || count > plane.sourceRows - start)
      Fail(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    if (plane.whole) {
      for (JDIMENSION i = 0; i < count; ++i)
        plane.handed[i] = plane.blocks.get() + std::size_t{start + i} * plane.sourceCols;
      return plane.handed.get();
    }
    plane.Keep();
    std::memset(plane.pending.get(), 0, std::size_t{count} * plane.sourceCols * sizeof(JBLOCK));
    plane.pendingRow = start;
    plane.pendingCount = count;
    for (JDIMENSION i = 0; i < count; ++i)
      plane.handed[i] = plane.pending.get() + std::size_t{i} * plane.sourceCols;
    return plane.handed.get();
  }

  // Kept rows for the encoder to read.
  static JBLOCKARRAY AccessEncoding(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION start,
                                    JDIMENSION count, boolean writable) {
    Plane& plane = *reinterpret_cast<Plane*>(array);
    if (writable || count > plane.maxAccess || start > plane.rows || count > plane.rows - start)
      Fail(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    for (JDIMENSION i = 0; i < count; ++i) plane.handed[i] = plane.Kept(start + i);
    return plane.handed.get();
  }

  static void LimitScans(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxScans) return;
    std::snprintf(Of(cinfo).trap_.why, JMSG_LENGTH_MAX, "the picture has more than %d scans",
                  kMaxScans);
    std::longjmp(Of(cinfo).trap_.jump, 1);
  }

  static void Begin(j_compress_ptr cinfo) {
    Sink& sink = Of(reinterpret_cast<j_common_ptr>(cinfo)).sink_;
    sink.bytes.clear();
    Extend(cinfo, sink.guess);
  }
  static boolean Grow(j_compress_ptr cinfo) {
    Sink& sink = Of(reinterpret_cast<j_common_ptr>(cinfo)).sink_;
    Extend(cinfo, sink.bytes.size());
    return TRUE;
  }
  static void End(j_compress_ptr cinfo) {
    Sink& sink = Of(reinterpret_cast<j_common_ptr>(cinfo)).sink_;
    sink.bytes.resize(sink.bytes.size() - sink.mgr.free_in_buffer);
  }
  // `more` bytes of room after what the buffer holds.
  static void Extend(j_compress_ptr cinfo, std::size_t more) {
    Sink& sink = Of(reinterpret_cast<j_common_ptr>(cinfo)).sink_;
    const std::size_t used = sink.bytes.size();
    bool grown = true;
    try {
      sink.bytes.resize(used + more);
    } catch (const std::bad_alloc&) {
      grown = false;
    }
    if (!grown) Fail(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
    sink.mgr.next_output_byte = sink.bytes.data() + used;
    sink.mgr.free_in_buffer = more;
  }

  // The pixel size an EXIF block gives in its own fields (PixelXDimension and
  // PixelYDimension of its EXIF directory), set to the crop's; `tiff` follows "Exif\0\0".
  static void SetExifSize(JOCTET* tiff, std::size_t length, JDIMENSION width, JDIMENSION height) {
    if (length < 12) return;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return;
    auto u16 = [&](std::size_t at) -> std::size_t {
      return big ? tiff[at] << 8 | tiff[at + 1] : tiff[at + 1] << 8 | tiff[at];
    };
    auto u32 = [&](std::size_t at) {
      return big ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    };
    auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
      for (int i = 0; i < bytes; ++i)
        tiff[at + (big ? bytes - 1 - i : i)] = static_cast<JOCTET>(value >> (8 * i));
    };
    if (u16(2) != 42) return;
    // The first directory points to the EXIF directory.
    std::size_t exif = 0;
    const std::size_t first = u32(4);
    if (first > length - 2) return;
    for (std::size_t n = u16(first), at = first + 2; n > 0 && at <= length - 12; --n, at += 12) {
      if (u16(at) == 0x8769) {
        exif = u32(at + 8);
        break;
      }
    }
    if (exif == 0 || exif > length - 2 || u16(exif) < 2) return;
    for (std::size_t n = u16(exif), at = exif + 2; n > 0 && at <= length - 12; --n, at += 12) {
      const std::size_t tag = u16(at);
      if (tag != 0xA002 && tag != 0xA003) continue;
      put(at + 2, 4, 2);  // LONG
      put(at + 4, 1, 4);  // one value
      put(at + 8, tag == 0xA002 ? width : height, 4);
    }
  }

  Trap trap_{};
  jpeg_decompress_struct d_{};
  jpeg_compress_struct c_{};
  jpeg_progress_mgr progress_{};
  Sink sink_{};
  std::array<Plane, MAX_COMPONENTS> planes_;
  int requested = 0;
};

}  // namespace

CodecResult CropJpegBlocks(std::span<const std::uint8_t> jpeg, const PixelRect& box) {
  CodecResult result;
  auto crop = std::make_unique<BlockCrop>();
  if (!crop->Run(jpeg, box)) {
    result.error = LowerFirst(crop->Why());
    return result;
  }
  result.bytes = std::move(crop->Bytes());
  result.width = box.width;
  result.height = box.height;
  result.lossless = true;
  return result;
}

std::string LowerFirst(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace qvm
