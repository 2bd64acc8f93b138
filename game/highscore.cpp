#include "game/highscore.h"

#include <cstdio>
#include <vector>

#include "game/state.h"

ScoreFileState ReadScoreFile(std::u16string_view path, ScoreTable& table) {
  ScoreFileState state = ScoreFileState::Read;
  std::vector<uint8_t> bytes;
  if (StreamRef file = OpenReadFile(path)) {
    bytes.resize(kScoreFileReadLimit);
    int got = 0;
    while (got < kScoreFileReadLimit) {
      const int n = file->Read(bytes.data() + got, kScoreFileReadLimit - got);
      if (n <= 0) break;
      got += n;
    }
    bytes.resize(size_t(got));
    CloseTextFile(file);
  } else {
    state = FileType(path) == 0 ? ScoreFileState::Missing : ScoreFileState::Unreadable;
  }
  TMemoryStream lines(std::move(bytes));
  for (int i = 0; i < kShownEntries; ++i) {
    table[size_t(2 * i)] = lines.ReadLine();
    table[size_t(2 * i + 1)] = IntText(ParseInt(lines.ReadLine()));
  }
  return state;
}

void SortEntries(ScoreTable& table) {
  auto name = [&](int entry) -> String& { return table[size_t(2 * entry)]; };
  auto score = [&](int entry) -> String& { return table[size_t(2 * entry + 1)]; };
  for (int i = 0; i < kTableEntries; ++i) {
    for (int j = 0; j < kTableEntries; ++j) {
      if (ParseInt(score(i)) <= ParseInt(score(j))) continue;
      const String moving_name = name(i);
      const String moving_score = score(i);
      name(i) = name(j);
      score(i) = score(j);
      name(j) = moving_name;
      score(j) = IntText(ParseInt(moving_score));
    }
  }
}

bool WriteScoreFile(std::u16string_view path, const ScoreTable& table, std::string& error) {
  return ReplaceFileLines(path, std::span<const String>(table.data(), kSavedLines), error);
}

void MergeScore(std::u16string_view path, std::u16string_view seed) {
  ScoreTable& table = G.HiTable;
  const ScoreFileState state = ReadScoreFile(path, table);
  // A seed that cannot be read leaves the empty table a missing file gives.
  if (state == ScoreFileState::Missing && !seed.empty()) ReadScoreFile(seed, table);
  table[20] = G.PlayerName;
  table[21] = IntText(G.Score);
  SortEntries(table);
  const std::string where = TextToUtf8(path);
  if (state == ScoreFileState::Unreadable) {
    std::fprintf(stderr,
                 "zarn: cannot read the highscore table \"%s\"; it is left as it is and this score is not saved\n",
                 where.c_str());
    return;
  }
  std::string error;
  if (!WriteScoreFile(path, table, error))
    std::fprintf(stderr, "zarn: cannot save the highscore table \"%s\" (%s); the old table is left as it was\n",
                 where.c_str(), error.c_str());
}
