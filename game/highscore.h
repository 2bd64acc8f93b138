// The highscore table and its file. The table holds twelve entries of a name and
// a score text: entries 0 to 9 are the table shown and kept in the file, entry 10
// takes the new result and entry 11 is a spare that only takes part in sorting.
// The file holds 22 lines, name and score of entries 0 to 10; the first 20 are
// read back.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "media/media.h"

using ScoreTable = std::array<String, 24>;  // name of entry i at 2i, its score text at 2i + 1

constexpr int kShownEntries = 10;
constexpr int kTableEntries = 12;
constexpr int kSavedLines = 22;
// Reading stops after this many bytes of the file: the table needs a few hundred,
// and a damaged file of any size must not take the memory with it.
constexpr int kScoreFileReadLimit = 64 * 1024;

enum class ScoreFileState { Read, Missing, Unreadable };

// Sets entries 0 to 9 from the file: each name line as it stands, each score line
// as the decimal text of the number it starts with (0 when none). Lines the file
// does not have (all of them when it is missing or cannot be read) are empty, so
// their scores are "0". Lines end in LF or CR LF; damaged content reads as far as
// it goes and never fails.
ScoreFileState ReadScoreFile(std::u16string_view path, ScoreTable& table);

// Orders the twelve entries by descending score with the exchange procedure the
// table has always been sorted with: for every pair (i, j) in row order, entry i
// and entry j change places when i's score is greater than j's; the score that
// moves from i to j is written anew as the decimal text of its value.
void SortEntries(ScoreTable& table);

// Replaces the file with entries 0 to 10 (22 lines), so that whenever the program
// is stopped the file holds the old table or the new one, whole. False, with the
// reason in `error`, when the file was left as it was.
bool WriteScoreFile(std::u16string_view path, const ScoreTable& table, std::string& error);

// Merges (G.PlayerName, G.Score) into the table of the file at `path`: reads it
// into G.HiTable, puts the result into entry 10, sorts and saves. While there is
// no file at `path`, the table is read from `seed` instead (when one is named),
// so a player's own table starts as a copy of the one the game came with. A file
// that cannot be read (but is there) or cannot be written is left untouched, with
// a message on standard error; G.HiTable holds the merged table either way.
void MergeScore(std::u16string_view path, std::u16string_view seed = {});
