// Placeholder until the real generator lands: writes an empty output file.
#include <cstdio>
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) if (FILE* f = std::fopen(argv[i], "wb")) std::fclose(f);
  return 0;
}
