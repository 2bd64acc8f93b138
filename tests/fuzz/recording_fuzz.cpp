// Arbitrary bytes as a recording. Reading never fails other than by refusing
// with a reason; a recording it accepts holds whole frames (ending in a Present,
// or in the End record of a run that ended), written again it reads back to the
// same records, and the script made from it is a script the headless backend
// accepts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/platform/script.h"
#include "media/recording/format.h"
#include "scratch.h"

namespace {

using recording::Record;
using recording::RecordKind;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Same(const Record& a, const Record& b) {
  if (a.kind != b.kind || a.value != b.value || a.count != b.count || a.event.kind != b.event.kind ||
      a.event.data != b.event.data || a.event.mods != b.event.mods || a.width != b.width || a.height != b.height ||
      a.flags != b.flags || a.period != b.period)
    return false;
  if (a.kind != RecordKind::KeptFile) return true;
  const auto &fa = a.kept, &fb = b.kept;
  return fa.name == fb.name && fa.state == fb.state && fa.bytes == fb.bytes && fa.has_seed == fb.has_seed &&
         fa.seed_state == fb.seed_state && fa.seed_bytes == fb.seed_bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  recording::Recording r;
  r.path = "fuzz.zrec";
  std::string error;
  if (!recording::ParseRecording({data, size}, r, error)) {
    Check(!error.empty());
    return 0;
  }
  const std::vector<Record> records = recording::Records(r);
  Check(!records.empty());
  Check(r.ended ? records.back().kind == RecordKind::End : records.back().kind == RecordKind::Present);
  uint64_t frames = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& x = records[i];
    if (x.kind == RecordKind::Present) ++frames;
    if (x.kind == RecordKind::End) Check(i + 1 == records.size());
    Check(x.count > 0);
    Check(!recording::Describe(x).empty());
  }
  Check(frames == r.frames);

  // Written again, it reads back the same.
  const std::string again_path = fuzz_support::ScratchFolder("recording") + "/again.zrec";
  Check(recording::WriteRecording(r.header, records, again_path, error));
  recording::Recording again;
  Check(recording::ReadRecording(again_path, again, error));
  const auto b = recording::Records(again);
  Check(records.size() == b.size());
  for (size_t i = 0; i < records.size(); ++i) Check(Same(records[i], b[i]));
  Check(again.ended == r.ended);

  uint32_t clock_start = 0;
  const std::string text = recording::ToScript(r, clock_start);
  platform::Script script;
  Check(platform::ParseScript(text, "made.txt", script, error));
  return 0;
}
