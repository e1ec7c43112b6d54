// Stand-in for the game executable: writes its arguments joined by blanks, its working folder
// and then each argument into "kvr_started.txt" in the working folder, one per line, then
// ends with 0.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  std::string cmdline;
  for (int i = 0; i < argc; ++i) cmdline.append(i == 0 ? "" : " ").append(argv[i]);
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) return 1;
  FILE* file = std::fopen("kvr_started.txt", "wb");
  if (file == nullptr) return 1;
  std::fprintf(file, "%s\n%s\n", cmdline.c_str(), folder);
  std::free(folder);
  for (int i = 0; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
  return std::fclose(file) == 0 ? 0 : 1;
}
