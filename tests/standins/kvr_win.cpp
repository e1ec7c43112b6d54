// Stand-in for the game executable: writes its command line, its working folder and the
// arguments its runtime made of the line into "kvr_started.txt" in the working folder, one
// per line, then ends with 0.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  char szFolder[MAX_PATH * 4] = {};
  GetCurrentDirectoryA(static_cast<DWORD>(sizeof szFolder), szFolder);
  FILE* file = std::fopen("kvr_started.txt", "wb");
  if (file == nullptr) return 1;
  std::fprintf(file, "%s\n%s\n", GetCommandLineA(), szFolder);
  for (int i = 0; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
  return std::fclose(file) == 0 ? 0 : 1;
}
