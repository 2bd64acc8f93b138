// Arbitrary bytes as the highscore file. Reading never fails and gives ten
// entries whose names hold no line end and whose scores are the decimal text of
// a number; sorting in a new result keeps the twelve scores (as numbers) and
// puts the largest first; saving the table and reading it back gives the same
// ten entries.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/highscore.h"
#include "scratch.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<int> Scores(const ScoreTable& table) {
  std::vector<int> scores;
  for (int i = 0; i < kTableEntries; ++i) scores.push_back(ParseInt(table[size_t(2 * i + 1)]));
  std::sort(scores.begin(), scores.end());
  return scores;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2 * kScoreFileReadLimit) return 0;
  const std::string path = fuzz_support::ScratchFolder("score") + "/score.txt";
  const std::u16string where = TextFromBytes(path);
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr);
  Check(std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);

  ScoreTable table;
  Check(ReadScoreFile(where, table) == ScoreFileState::Read);
  for (int i = 0; i < kShownEntries; ++i) {
    for (char16_t c : table[size_t(2 * i)]) Check(c != u'\n' && c != u'\r' && c < 256);
    Check(table[size_t(2 * i + 1)] == IntText(ParseInt(table[size_t(2 * i + 1)])));
  }

  // A new result from the last bytes, then the sort.
  table[20] = u"Fuzz";
  table[21] = IntText(size >= 2 ? int(int8_t(data[size - 1])) * 1000 + data[size - 2] : 0);
  const std::vector<int> before = Scores(table);
  SortEntries(table);
  Check(Scores(table) == before);
  for (int i = 1; i < kTableEntries; ++i) Check(ParseInt(table[1]) >= ParseInt(table[size_t(2 * i + 1)]));

  std::string error;
  Check(WriteScoreFile(where, table, error));
  ScoreTable again;
  Check(ReadScoreFile(where, again) == ScoreFileState::Read);
  for (int i = 0; i < 2 * kShownEntries; ++i) Check(again[size_t(i)] == table[size_t(i)]);
  return 0;
}
