# fuzz targets of playlist: the playlist file readers, built from source with the sanitizers.
set(VYN_PLAYLIST_ROOT ${CMAKE_CURRENT_LIST_DIR}/../..)
set(VYN_PLAYLIST_READER_SOURCES
    ${VYN_PLAYLIST_ROOT}/playlist/playlist_file.cpp
    ${VYN_PLAYLIST_ROOT}/playlist/pls_reader.cpp
    ${VYN_PLAYLIST_ROOT}/playlist/xspf_reader.cpp
    ${VYN_PLAYLIST_ROOT}/playlist/file_uri.cpp
    ${VYN_PLAYLIST_ROOT}/playlist/entry_path.cpp
    ${VYN_PLAYLIST_ROOT}/playlist/whole_file.cpp
    ${VYN_PLAYLIST_ROOT}/trackinfo/format_table.cpp
    ${VYN_PLAYLIST_ROOT}/trackinfo/tag_text.cpp
    ${VYN_PLAYLIST_ROOT}/platform/exceptions.cpp)
vyn_add_fuzzer(playlist_file_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playlist_file_fuzzer.cpp ${VYN_PLAYLIST_READER_SOURCES}
    CORPUS_COMMAND ${CMAKE_CURRENT_LIST_DIR}/fuzz_seeds)

# One target per reader of other players' lists.
set(reader_m3u8 ParseM3uPlaylist)
set(reader_pls ParsePlsPlaylist)
set(reader_xspf ParseXspfPlaylist)
foreach(kind m3u8 pls xspf)
    vyn_add_fuzzer(playlist_${kind}_fuzzer
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/playlist_reader_fuzzer.cpp ${VYN_PLAYLIST_READER_SOURCES}
        CORPUS_COMMAND ${CMAKE_CURRENT_LIST_DIR}/reader_seeds ${kind})
    target_compile_definitions(playlist_${kind}_fuzzer PRIVATE
        VYN_PLAYLIST_READER=${reader_${kind}})
endforeach()
