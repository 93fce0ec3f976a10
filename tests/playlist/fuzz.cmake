# fuzz targets of playlist: the playlist file readers, built from source with the sanitizers.
set(VYN_PLAYLIST_ROOT ${CMAKE_CURRENT_LIST_DIR}/../..)
vyn_add_fuzzer(playlist_file_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playlist_file_fuzzer.cpp
            ${VYN_PLAYLIST_ROOT}/playlist/playlist_file.cpp
            ${VYN_PLAYLIST_ROOT}/playlist/entry_path.cpp
            ${VYN_PLAYLIST_ROOT}/playlist/whole_file.cpp
            ${VYN_PLAYLIST_ROOT}/platform/exceptions.cpp
    CORPUS_COMMAND ${CMAKE_CURRENT_LIST_DIR}/fuzz_seeds)
