// JPEG decoding through libjpeg: greyscale files give an I8 map, three-component
// files an RGB888 map.
//
// libjpeg's own error handler ends the process. Here errors, and warnings too
// (they mean truncated or damaged data, except a few about header details),
// jump back to the decoder, which gives up and returns null.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "media/pixmap/decoders.h"

namespace {

// More scans than any sane progressive file has; hostile files with thousands of
// tiny scans would otherwise keep the decoder busy for a long time.
constexpr int kMaxScans = 500;

struct ErrorTrap {
  jpeg_error_mgr mgr;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
};

ErrorTrap* TrapOf(j_common_ptr cinfo) { return reinterpret_cast<ErrorTrap*>(cinfo->err); }

[[noreturn]] void OnError(j_common_ptr cinfo) { std::longjmp(TrapOf(cinfo)->jump, 1); }

// Warnings about header details the decoder simply steps over; the picture
// still decodes in full, so they do not make the file unreadable.
bool HarmlessWarning(int code) {
  return code == JWRN_JFIF_MAJOR || code == JWRN_EXTRANEOUS_DATA || code == JWRN_ADOBE_XFORM;
}

void OnMessage(j_common_ptr cinfo, int level) {
  // Any other warning means corrupt or truncated data.
  if (level < 0 && !HarmlessWarning(cinfo->err->msg_code)) std::longjmp(TrapOf(cinfo)->jump, 1);
}

void OnProgress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) std::longjmp(TrapOf(cinfo)->jump, 1);
}

// Decodes into *out. Returns false on any failure. Only trivially destructible
// locals live in this frame, so the long jump back into it skips no destructor,
// and nothing it reads after the jump was changed after setjmp.
bool DecodeInto(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const uint8_t* data, size_t size, PixmapPtr* out) {
  if (setjmp(trap->jump) != 0) return false;
  jpeg_create_decompress(cinfo);
  trap->progress.progress_monitor = OnProgress;
  cinfo->progress = &trap->progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (cinfo->num_components == 1) {
    cinfo->out_color_space = JCS_GRAYSCALE;
  } else if (cinfo->num_components == 3) {
    cinfo->out_color_space = JCS_RGB;
  } else {
    return false;
  }
  if (!PixmapSizeAllowed(cinfo->image_width, cinfo->image_height) || cinfo->image_width == 0 ||
      cinfo->image_height == 0) {
    return false;
  }
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != cinfo->num_components) return false;
  *out = TPixmap::Create(int(cinfo->output_width), int(cinfo->output_height),
                         cinfo->output_components == 1 ? PF_I8 : PF_RGB888);
  TPixmap* map = out->get();
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = map->PixelPtr(0, int(cinfo->output_scanline));
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

PixmapPtr DecodeJpeg(const uint8_t* data, size_t size) {
  // Every JPEG starts with the SOI marker; anything else is not ours to try.
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return nullptr;
  jpeg_decompress_struct cinfo{};  // zeroed, so destroying it is safe even if creation failed
  ErrorTrap trap{};
  cinfo.err = jpeg_std_error(&trap.mgr);
  trap.mgr.error_exit = OnError;
  trap.mgr.emit_message = OnMessage;
  PixmapPtr map;
  const bool ok = DecodeInto(&cinfo, &trap, data, size, &map);
  jpeg_destroy_decompress(&cinfo);
  return ok ? map : nullptr;
}
