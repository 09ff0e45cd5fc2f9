#include "codecs/JpegCommon.h"

#include <cstring>

namespace brisko::codecs {

namespace {

void Escape(j_common_ptr info) {
  auto* trap = reinterpret_cast<JpegErrorTrap*>(info->err);
  (*info->err->format_message)(info, trap->message);
  std::longjmp(trap->escape, 1);
}

// Warnings are not printed. The one we act on is the end of the data before
// the end of the picture: libjpeg would paint the rest grey, and a picture
// that was cut off should not open as if it were whole.
void Emit(j_common_ptr info, int level) {
  auto* trap = reinterpret_cast<JpegErrorTrap*>(info->err);
  if (level < 0 && info->err->msg_code == trap->fatalWarning) Escape(info);
}

}  // namespace

jpeg_error_mgr* InstallTrap(JpegErrorTrap& trap) {
  jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
  manager->error_exit = &Escape;
  manager->emit_message = &Emit;
  trap.message[0] = '\0';
  trap.fatalWarning = JWRN_JPEG_EOF;
  return manager;
}

bool JpegProtect(JpegErrorTrap& trap, JpegStep step, void* context) noexcept {
  if (setjmp(trap.escape)) return false;
  step(context);
  return true;
}

}  // namespace brisko::codecs
