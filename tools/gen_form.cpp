// gen_form ICON_IN FORM_OUT: builds the stored description of the main window from the
// layout table, holding the program's icon, writes it, reads it back and checks it.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/main_form_layout.h"
#include "runtime/form_description.h"
#include "form_builder/main_form_builder.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "gen_form: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace board;
  if (argc != 3) return Fail("usage: gen_form ICON_IN FORM_OUT");
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) return Fail("cannot open the icon file");
  std::vector<uint8_t> icon((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (icon.size() != kAppIconFileSize) {
    std::fprintf(stderr, "gen_form: icon is %zu bytes, expected %zu\n", icon.size(),
                 kAppIconFileSize);
    return 1;
  }
  try {
    FormDescription form = BuildMainFormDescription(icon);
    std::vector<uint8_t> bytes = WriteFormDescription(form);
    if (bytes.size() != kMainFormDescriptionSize) {
      std::fprintf(stderr, "gen_form: description is %zu bytes, expected %zu (%+lld)\n",
                   bytes.size(), kMainFormDescriptionSize,
                   (long long)bytes.size() - (long long)kMainFormDescriptionSize);
      return 1;
    }
    FormDescription back;
    if (!ReadFormDescription(bytes, back)) return Fail("the written description does not read");
    if (!(back == form)) return Fail("the description read back differs from the one built");
    if (WriteFormDescription(back) != bytes) return Fail("writing the read-back differs");
    for (const ControlRecord& r : back.records)
      if (!r.kindDataOk) return Fail("a record's kind data does not read");
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) return Fail("cannot write the description");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gen_form: %s\n", e.what());
    return 1;
  }
  return 0;
}
