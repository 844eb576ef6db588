// velmic: compiles a panel project into the files the panel reads.
#include "common/paths.h"
#include "compiler/build_driver.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tft::runVelmic(args, tft::applicationDir());
}
