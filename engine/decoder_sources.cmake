# The engine's decoders and what they need: built into libbass.so, and straight into the
# fuzz targets (with the sanitizers) that drive them without a sound server.
set(VYN_ENGINE_DECODER_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/engine_error.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_bytes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/buffered_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mpeg_probe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mpeg_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ogg_chain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vorbis_callbacks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vorbis_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wav_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/flac_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/opus_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/module_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stream_tags.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stream_opener.cpp)
set(VYN_ENGINE_DECODER_LIBS PkgConfig::MPG123 PkgConfig::VORBISFILE PkgConfig::SNDFILE
    PkgConfig::OPENMPT PkgConfig::FLAC PkgConfig::OPUSFILE)
