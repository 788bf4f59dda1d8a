// qvm-demo-game FOLDER: writes the demo game folder that `make demo` opens.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qvm-demo-game FOLDER\n");
    return 2;
  }
  fs::path root = argv[1];
  WriteFile(root / "qvm.vrs", "");
  WriteFile(root / "media" / "index.dat", "Example Name\r\nexample1.jpg|example2.bmp\r\n");
  return 0;
}
