// vorbisfile reading through a BufferedFile given as its datasource (which it never closes).
#pragma once

#include <vorbis/vorbisfile.h>

namespace engine {

ov_callbacks BufferedFileOggCallbacks();

}  // namespace engine
