// libFuzzer target: whatever the reader accepts is written back to the same bytes and reads
// back to the same description; nothing is ever read outside the input.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "runtime/form_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace board;
  std::span<const uint8_t> input(data, size);
  FormDescription form;
  if (!ReadFormDescription(input, form)) return 0;
  std::vector<uint8_t> written = WriteFormDescription(form);
  if (written.size() != size || !std::equal(written.begin(), written.end(), data)) std::abort();
  FormDescription again;
  if (!ReadFormDescription(written, again) || !(again == form)) std::abort();
  // The lookups must hold up on anything that reads.
  for (const ControlRecord& r : form.records) {
    if (FindRecord(form, r.controlId) < 0) std::abort();
    (void)PageOfChild(r, r.controlId);
  }
  return 0;
}
