// The "Open music(s)" dialog's filter, from the format table: every kind first, then one
// filter per kind, each in the table's order ("Все известные файлы|*.mp3;*.mp2;…|MP3|*.mp3|…").
#pragma once

#include <string>

const std::string& MusicFileFilter();
