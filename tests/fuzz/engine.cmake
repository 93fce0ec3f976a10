# fuzz targets of engine: the decoders behind BASS_StreamCreateFile and BASS_MusicLoad,
# compiled straight in with the sanitizers (no sound server needed).
include(${CMAKE_SOURCE_DIR}/engine/decoder_sources.cmake)
if(NOT TARGET vyn_test_media)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/media ${CMAKE_BINARY_DIR}/tests/media)
endif()

vyn_add_fuzzer(engine_open_fuzzer
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/engine_open_fuzzer.cpp ${VYN_ENGINE_DECODER_SOURCES}
    LIBS ${VYN_ENGINE_DECODER_LIBS}
    CORPUS_COMMAND $<TARGET_FILE:vyn_make_media>)

# The FLAC and Opus decoders on their own, seeded with the same generated files.
foreach(format flac opus)
    vyn_add_fuzzer(${format}_open_fuzzer
        SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${format}_open_fuzzer.cpp ${VYN_ENGINE_DECODER_SOURCES}
        LIBS ${VYN_ENGINE_DECODER_LIBS}
        CORPUS_COMMAND $<TARGET_FILE:vyn_make_media>)
endforeach()
