// There are no DIB sections outside Windows: images always use the heap.

#include "core/image/dib_section.h"

namespace glintora {

DibSection CreateDibSection(const BitmapInfo& /*info*/) { return {}; }
void DeleteDibSection(void* /*handle*/) {}

}  // namespace glintora
