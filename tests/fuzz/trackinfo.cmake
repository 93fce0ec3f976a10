# fuzz targets of trackinfo
# The trackinfo library is built here with the sanitizers too, so that ASan sees its reads.
if(NOT TARGET vyn_trackinfo)
    add_subdirectory(${CMAKE_SOURCE_DIR}/trackinfo ${CMAKE_BINARY_DIR}/trackinfo)
endif()
target_compile_options(vyn_trackinfo PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                       -fno-sanitize-recover=all -g -O1)

add_executable(trackinfo_seeds ${CMAKE_CURRENT_SOURCE_DIR}/trackinfo_seeds.cpp)
vyn_add_fuzzer(trackinfo_tags_fuzzer
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/trackinfo_tags_fuzzer.cpp
    LIBS vyn_trackinfo
    CORPUS_COMMAND $<TARGET_FILE:trackinfo_seeds>)
