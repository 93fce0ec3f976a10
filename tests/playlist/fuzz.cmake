# fuzz targets of playlist: the playlist file readers, built from source with the sanitizers.
vyn_add_fuzzer(playlist_file_fuzzer
    SOURCES ${CMAKE_SOURCE_DIR}/tests/playlist/playlist_file_fuzzer.cpp
            ${CMAKE_SOURCE_DIR}/playlist/playlist_file.cpp
            ${CMAKE_SOURCE_DIR}/playlist/entry_path.cpp
            ${CMAKE_SOURCE_DIR}/playlist/whole_file.cpp
            ${CMAKE_SOURCE_DIR}/platform/exceptions.cpp
    CORPUS_COMMAND ${CMAKE_SOURCE_DIR}/tests/playlist/fuzz_seeds)
