// make-demo-sounds: writes the demo's synthesised sounds into a folder (demo/sounds).
#include "DemoSounds.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-sounds FOLDER\n");
        return 2;
    }
    for (const auto& [name, bytes] : demosounds::all()) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make-demo-sounds: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
